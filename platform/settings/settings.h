#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tv::settings {

// The handheld's registry: keys named by backslash-separated paths (letter
// case aside), each holding named 32-bit values. It lives in one small text
// file in the device root, read whole by every call and replaced whole,
// atomically, by every change: a crash mid-write leaves the old file or the
// new one. Of a file damaged or edited by hand (carriage returns, blank
// lines, a line that reads as nothing) every key and value that still reads
// is kept and written back by the next change; a file that is not a registry
// at all counts as an empty one, and the next change replaces it. A file that
// is there but cannot be read (a read error, a folder or a pipe in its place)
// reads as no keys, and no change replaces it, so that what it holds is not
// lost.
std::filesystem::path RegistryPath();

class RegistryKey {
 public:
  // The key when it exists; nothing when it does not (or when the registry
  // file is missing or damaged).
  static std::optional<RegistryKey> Open(std::string_view path);
  // The key, created and written when missing; nothing when the registry
  // cannot be written or the path cannot name a key.
  [[nodiscard]] static std::optional<RegistryKey> Create(std::string_view path);

  // The 32-bit value `name` of this key; nothing when it is not stored.
  std::optional<uint32_t> QueryValue(std::string_view name) const;
  // Stores `value` under `name`, creating the key again if the file lost
  // it; false when the registry cannot be written.
  [[nodiscard]] bool SetValue(std::string_view name, uint32_t value) const;

  const std::string& Path() const { return path_; }

 private:
  explicit RegistryKey(std::string path) : path_(std::move(path)) {}
  std::string path_;
};

// The user's system of measurement (LC_MEASUREMENT): what a program with no
// stored preference shows distances in.
enum class MeasurementSystem { kMetric, kUsCustomary };
MeasurementSystem UserMeasurementSystem();

}  // namespace tv::settings
