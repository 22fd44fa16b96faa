#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tv::files {

// The folder that stands for the handheld's file system. In order: the
// folder set by SetDeviceRoot (the --device-root option), the environment
// variable TERRAVUE_DEVICE_ROOT, $XDG_DATA_HOME/terravue, and
// $HOME/.local/share/terravue. Empty when none of these is available.
void SetDeviceRoot(std::optional<std::filesystem::path> root);
std::filesystem::path DeviceRoot();

// "\windows\" of the handheld; empty without a device root.
std::filesystem::path WindowsFolder();
// The file that holds the record databases; empty without a device root.
std::filesystem::path ObjectStorePath();

// Maps a handheld path such as "\windows\QuorvelZones.txt" into the device
// root: backslashes become slashes, letter case is kept. A path that would
// climb out of the root ("..") maps to nothing.
std::optional<std::filesystem::path> MapDevicePath(std::string_view handheld_path);

// Opens a regular file for reading and returns its descriptor, or -1 (errno
// set) when it cannot be opened or is not a regular file. A pipe or a device
// in a file's place is refused without waiting for a writer, so that reading
// it can neither block nor go on forever.
// In a web page a file of a folder fetched on demand (below) is fetched
// first when it is not there yet.
int OpenRegularFile(const std::filesystem::path& path);

// The bytes of a regular file opened as OpenRegularFile opens it, read up to
// `max_size` + 1 bytes so that a caller can tell a file past its cap by the
// size. Nothing (errno set) when the file cannot be opened or a read fails.
std::optional<std::string> ReadRegularFile(const std::filesystem::path& path, size_t max_size);

// Writes all of `data` to `fd`, going on after interrupted and short
// writes; false on an error or when the disk takes nothing more.
bool WriteAll(int fd, std::string_view data);

#ifdef __EMSCRIPTEN__
// A web page bundles only what its first screen needs; the files of a folder
// registered here (the maps, most fonts) stay on the page's server under
// `address`, relative to the page, and each is fetched into the folder the
// first time it is opened. Files of one name with the extensions `together`
// (a map image and its georeference) are fetched at once, as the opening of
// one is followed by the others'. The folder is created. Only a page
// registers folders: the program under Node reads the host's files.
void FetchFolderOnDemand(const std::filesystem::path& folder, std::string address,
                         std::vector<std::string> together = {});

// Fetches `path` when it lies in a folder fetched on demand and is not there
// yet, waiting for the server (the browser runs meanwhile). A file that
// cannot be fetched (not on the server, no network, no answer within a
// while) is left missing, as a missing file is natively.
void FetchIfOnDemand(const std::filesystem::path& path);
#endif

// Creates the device root and its windows folder if they are missing.
bool EnsureDeviceRoot();

// The folder of the running program.
std::filesystem::path ProgramFolder();

// The data folder of the prefix a program at `executable` was installed
// under (../share/terravue from its bin folder, whatever the prefix), which
// holds the maps and the installation files. Nothing when it is not a folder,
// as for a program run from its build tree.
std::optional<std::filesystem::path> FindInstalledDataFolderFor(
    const std::filesystem::path& executable);
// The same for the running program.
std::optional<std::filesystem::path> FindInstalledDataFolder();

// The folder "Terravue Maps" of a program installed at `executable`: beside
// it, as in the build tree, or in its installed data folder. Nothing when
// neither is a folder.
std::optional<std::filesystem::path> FindMapsFolderFor(const std::filesystem::path& executable);
// The same for the running program.
std::optional<std::filesystem::path> FindMapsFolder();
// The maps folder found, or "Terravue Maps" beside the program when there is
// none, so that a missing map reads as a missing file.
std::filesystem::path MapsFolder();

// What PlaceFile did.
enum class PlaceResult {
  kPlaced,         // `target` is now a complete copy of `source`
  kTargetPresent,  // something is already at `target`; left as it was
  kFailed,         // `source` unreadable or `target` not writable; nothing left behind
};
// Copies `source` to `target` unless anything (a file, a folder, a dangling
// link) is already there. The copy is written under a temporary name beside
// `target` and linked into place only when complete, so `target` never
// appears half-written and is never replaced.
PlaceResult PlaceFile(const std::filesystem::path& source, const std::filesystem::path& target);

}  // namespace tv::files
