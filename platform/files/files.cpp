#include "platform/files/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>

namespace tv::files {

namespace {

std::optional<std::filesystem::path>& ExplicitRoot() {
  static std::optional<std::filesystem::path> root;
  return root;
}

// Unset and empty variables both count as absent, as the XDG rules say.
std::optional<std::filesystem::path> FromEnv(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::filesystem::path(value);
}

}  // namespace

void SetDeviceRoot(std::optional<std::filesystem::path> root) { ExplicitRoot() = std::move(root); }

std::filesystem::path DeviceRoot() {
  if (ExplicitRoot() && !ExplicitRoot()->empty()) return *ExplicitRoot();
  if (auto root = FromEnv("TERRAVUE_DEVICE_ROOT")) return *root;
  if (auto data = FromEnv("XDG_DATA_HOME")) return *data / "terravue";
  if (auto home = FromEnv("HOME")) return *home / ".local" / "share" / "terravue";
  return {};
}

// With no device root these are empty too, never a path relative to the
// current folder.
std::filesystem::path WindowsFolder() {
  const std::filesystem::path root = DeviceRoot();
  return root.empty() ? root : root / "windows";
}

std::filesystem::path ObjectStorePath() {
  const std::filesystem::path root = DeviceRoot();
  return root.empty() ? root : root / "objectstore.sqlite3";
}

std::optional<std::filesystem::path> MapDevicePath(std::string_view handheld_path) {
  std::filesystem::path result = DeviceRoot();
  if (result.empty()) return std::nullopt;
  size_t pos = 0;
  while (pos <= handheld_path.size()) {
    size_t end = handheld_path.find_first_of("\\/", pos);
    if (end == std::string_view::npos) end = handheld_path.size();
    const std::string_view part = handheld_path.substr(pos, end - pos);
    if (part == "..") return std::nullopt;
    if (!part.empty() && part != ".") result /= std::string(part);
    pos = end + 1;
  }
  return result;
}

int OpenRegularFile(const std::filesystem::path& path) {
  // Non-blocking, so that opening a named pipe does not wait for a writer.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    errno = EINVAL;
    return -1;
  }
  const int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

bool EnsureDeviceRoot() {
  const std::filesystem::path windows = WindowsFolder();
  if (DeviceRoot().empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(windows, ec);
  return !ec && std::filesystem::is_directory(windows, ec);
}

std::filesystem::path ProgramFolder() {
  std::error_code ec;
#ifdef __EMSCRIPTEN__
  // A WebAssembly program has no file of its own: its files are in the
  // current folder (the root of a page's bundled files).
  return std::filesystem::current_path(ec);
#else
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::filesystem::current_path(ec);
  return exe.parent_path();
#endif
}

// The data folder relative to the bin folder, as configured at install time.
#ifndef TERRAVUE_DATA_FROM_BIN
#define TERRAVUE_DATA_FROM_BIN "../share/terravue"
#endif

std::optional<std::filesystem::path> FindInstalledDataFolderFor(
    const std::filesystem::path& executable) {
  const std::filesystem::path data = executable.parent_path() / TERRAVUE_DATA_FROM_BIN;
  std::error_code ec;
  if (!std::filesystem::is_directory(data, ec)) return std::nullopt;
  return data.lexically_normal();
}

std::optional<std::filesystem::path> FindInstalledDataFolder() {
  std::error_code ec;
#ifdef __EMSCRIPTEN__
  // A page bundles its installation files under /install; a program under
  // Node reads the host's folders and has none.
  const std::filesystem::path page_data("/install");
  if (std::filesystem::is_directory(page_data, ec)) return page_data;
  return std::nullopt;
#else
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::nullopt;
  return FindInstalledDataFolderFor(exe);
#endif
}

std::optional<std::filesystem::path> FindMapsFolderFor(const std::filesystem::path& executable) {
  constexpr const char* kMapsFolder = "Terravue Maps";
  std::error_code ec;
  const std::filesystem::path beside = executable.parent_path() / kMapsFolder;
  if (std::filesystem::is_directory(beside, ec)) return beside.lexically_normal();
  if (const auto data = FindInstalledDataFolderFor(executable)) {
    if (std::filesystem::is_directory(*data / kMapsFolder, ec)) return *data / kMapsFolder;
  }
  return std::nullopt;
}

std::optional<std::filesystem::path> FindMapsFolder() {
  std::error_code ec;
#ifdef __EMSCRIPTEN__
  (void)ec;
  return FindMapsFolderFor(ProgramFolder() / "terravue");
#else
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::nullopt;
  return FindMapsFolderFor(exe);
#endif
}

std::filesystem::path MapsFolder() {
  return FindMapsFolder().value_or(ProgramFolder() / "Terravue Maps");
}

PlaceResult PlaceFile(const std::filesystem::path& source, const std::filesystem::path& target) {
  std::error_code ec;
  if (std::filesystem::symlink_status(target, ec).type() != std::filesystem::file_type::not_found) {
    return PlaceResult::kTargetPresent;
  }
  if (!std::filesystem::is_regular_file(source, ec)) return PlaceResult::kFailed;
  // A hidden name that no reader of the folder looks for; the process id keeps
  // two programs starting at once apart.
  std::string temporary_name = ".";
  temporary_name += target.filename().string();
  temporary_name += '.';
  temporary_name += std::to_string(::getpid());
  temporary_name += ".part";
  const std::filesystem::path temporary = target.parent_path() / temporary_name;
  std::filesystem::remove(temporary, ec);
  if (!std::filesystem::copy_file(source, temporary, ec)) {
    std::filesystem::remove(temporary, ec);
    return PlaceResult::kFailed;
  }
  // link() fails where the target exists, where rename() would replace it.
  PlaceResult result = PlaceResult::kPlaced;
  if (::link(temporary.c_str(), target.c_str()) != 0) {
    const int error = errno;
    if (error == EEXIST) {
      result = PlaceResult::kTargetPresent;
    } else if (std::filesystem::symlink_status(target, ec).type() !=
               std::filesystem::file_type::not_found) {
      result = PlaceResult::kTargetPresent;
    } else {
      // A file system without hard links: rename, having just seen that
      // nothing is there.
      std::filesystem::rename(temporary, target, ec);
      if (ec) result = PlaceResult::kFailed;
    }
  }
  std::filesystem::remove(temporary, ec);
  return result;
}

}  // namespace tv::files
