#include "platform/files/files.h"

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

std::optional<std::filesystem::path> FindMapsFolderFor(const std::filesystem::path& executable) {
  constexpr const char* kMapsFolder = "Terravue Maps";
  const std::filesystem::path bin = executable.parent_path();
  std::error_code ec;
  for (const std::filesystem::path& candidate :
       {bin / kMapsFolder, bin / TERRAVUE_DATA_FROM_BIN / kMapsFolder}) {
    if (std::filesystem::is_directory(candidate, ec)) return candidate.lexically_normal();
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

}  // namespace tv::files
