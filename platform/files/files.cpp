#include "platform/files/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

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

#ifdef __EMSCRIPTEN__
struct OnDemandFolder {
  std::filesystem::path folder;
  std::string address;
  std::vector<std::string> together;
};

std::vector<OnDemandFolder>& OnDemandFolders() {
  static std::vector<OnDemandFolder> folders;
  return folders;
}

// A server that does not answer within this time is taken for one that has
// not got the file, so that opening a map cannot hang the program.
constexpr double kFetchTimeoutMs = 20000;

// Fetches the files `names` (one a line, relative to `address`) at once into
// `folder`; 1 when the first was written whole, 0 otherwise. The program
// waits meanwhile through Asyncify, the browser going on with its work.
EM_ASYNC_JS(int, FetchToFolder, (const char* address, const char* names, const char* folder,
                                 double timeout_ms), {
  var base = UTF8ToString(address);
  var into = UTF8ToString(folder);
  var controller = typeof AbortController === 'function' ? new AbortController() : null;
  var timer = controller ? setTimeout(function() { controller.abort(); }, timeout_ms) : null;
  var fetchOne = async function(name) {
    var url = (base + '/' + name).split('/').map(encodeURIComponent).join('/');
    try {
      var response = await fetch(url, controller ? { signal: controller.signal } : {});
      if (!response.ok) return 0;
      var data = new Uint8Array(await response.arrayBuffer());
      // Written whole under a temporary name and then renamed, so that no
      // reader ever sees part of a file.
      var file = into + '/' + name;
      FS.writeFile(file + '.part', data);
      FS.rename(file + '.part', file);
      return 1;
    } catch (e) {
      console.warn('terravue: cannot fetch ' + url, e);
      return 0;
    }
  };
  try {
    var done = await Promise.all(UTF8ToString(names).split('\n').map(fetchOne));
    return done[0];
  } finally {
    if (timer !== null) clearTimeout(timer);
  }
});

// Copies with large reads and writes: this C++ library's copy_file goes a
// character at a time without the host's copying calls, which made the first
// start's copy of the installation files take a tenth of a second.
bool CopyFileContents(const std::filesystem::path& source, const std::filesystem::path& target) {
  const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  const int out = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (out < 0) {
    close(in);
    return false;
  }
  std::vector<char> buffer(1 << 16);
  bool ok = true;
  for (;;) {
    const ssize_t n = read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0 || !WriteAll(out, std::string_view(buffer.data(), static_cast<size_t>(n)))) {
      ok = ok && n == 0;
      break;
    }
  }
  close(in);
  return close(out) == 0 && ok;
}
#endif

}  // namespace

#ifdef __EMSCRIPTEN__
void FetchFolderOnDemand(const std::filesystem::path& folder, std::string address,
                         std::vector<std::string> together) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  OnDemandFolders().push_back({folder.lexically_normal(), std::move(address), std::move(together)});
}

void FetchIfOnDemand(const std::filesystem::path& path) {
  const std::filesystem::path file = path.lexically_normal();
  const auto missing = [](const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::symlink_status(p, ec).type() == std::filesystem::file_type::not_found;
  };
  for (const OnDemandFolder& on_demand : OnDemandFolders()) {
    const std::filesystem::path name = file.lexically_relative(on_demand.folder);
    // Only a file of the folder itself: nothing above it, nothing below.
    if (name.empty() || name.has_parent_path() || name == "." || name == "..") continue;
    if (!missing(file)) return;
    std::string names = name.string();
    // The names go to the fetch one a line.
    if (names.find('\n') != std::string::npos) return;
    const std::string extension = name.extension().string();
    if (std::find(on_demand.together.begin(), on_demand.together.end(), extension) !=
        on_demand.together.end()) {
      for (const std::string& other : on_demand.together) {
        std::filesystem::path companion = name;
        companion.replace_extension(other);
        if (other != extension && missing(on_demand.folder / companion)) {
          names += '\n' + companion.string();
        }
      }
    }
    FetchToFolder(on_demand.address.c_str(), names.c_str(), on_demand.folder.c_str(),
                  kFetchTimeoutMs);
    return;
  }
}
#endif

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
#ifdef __EMSCRIPTEN__
  FetchIfOnDemand(path);
#endif
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

std::optional<std::string> ReadRegularFile(const std::filesystem::path& path, size_t max_size) {
  const int fd = OpenRegularFile(path);
  if (fd < 0) return std::nullopt;
  std::string text;
  char chunk[4096];
  int error = 0;
  while (text.size() <= max_size) {
    const ssize_t n = read(fd, chunk, std::min(sizeof chunk, max_size + 1 - text.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    if (n <= 0) break;
    text.append(chunk, static_cast<size_t>(n));
  }
  close(fd);
  if (error != 0) {
    errno = error;
    return std::nullopt;
  }
  return text;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    // A disk that takes nothing more is full.
    if (n == 0) return false;
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
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
#ifdef __EMSCRIPTEN__
  if (!CopyFileContents(source, temporary)) {
#else
  if (!std::filesystem::copy_file(source, temporary, ec)) {
#endif
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
