#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace terravue {

// A text file that the first start imports, and the database it builds.
struct InstallationFile {
  std::u16string_view database;
  std::string_view file_name;  // in the device's windows folder and in the data folder
};

// The country facts and the time zones, as the installer of the handheld
// placed them in its "\windows\" folder.
extern const InstallationFile kInstallationFiles[2];

enum class Placement {
  kPlaced,            // the installed file was copied into the windows folder
  kDatabasePresent,   // the database exists: nothing to import
  kFilePresent,       // a file of that name waits in the windows folder already
  kStoreUnreadable,   // the object store cannot be read: nothing is touched
  kNoInstalledFile,   // the data folder lacks the file
  kFailed,            // the copy could not be made
};

// Puts the installed copy of `file` (from `data_folder`) into the device's
// windows folder when its database is missing and no file waits there, so
// that the installation screen imports it as on the handheld after its
// installer ran. Never replaces a file that is there, does nothing when the
// object store exists but cannot be read, and creates no store.
Placement PlaceInstallationFile(const InstallationFile& file,
                                const std::filesystem::path& data_folder);

// Places both files from the data folder of the installed program, if it
// runs from an installation; a program run from its build tree has none and
// places nothing.
void PlaceInstalledFiles();

// Where --stage-data takes the installation files from: the installed data
// folder, or else the program's own folder, where the build tree keeps a
// copy of them.
std::optional<std::filesystem::path> FindInstallationFilesFolder();

// `terravue --stage-data DEVICE_ROOT`: plays the installer's part for a
// device root, as the program's first start does for an installed program,
// placing each file whose database is missing. Says on standard error what
// went wrong; returns the exit status (0 when every needed file is there).
int StageData(const std::filesystem::path& device_root);

}  // namespace terravue
