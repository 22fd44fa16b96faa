#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/clock/clock.h"
#include "platform/files/files.h"
#include "platform/store/object_store.h"

namespace terravue::testing {

// A device root of a test's own: a fresh temporary folder with its windows/
// folder, made the process's device root, removed again at the end.
class ScratchDevice {
 public:
  ScratchDevice() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "terravue-db-XXXXXX").string();
    root_ = mkdtemp(pattern.data());
    std::filesystem::create_directories(root_ / "windows");
    tv::store::ObjectStore::CloseShared();
    tv::files::SetDeviceRoot(root_);
  }
  ~ScratchDevice() {
    tv::store::ObjectStore::CloseShared();
    tv::files::SetDeviceRoot(std::nullopt);
    tv::clock::SetFixedUtc(std::nullopt);
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  ScratchDevice(const ScratchDevice&) = delete;
  ScratchDevice& operator=(const ScratchDevice&) = delete;

  const std::filesystem::path& Root() const { return root_; }
  std::filesystem::path Windows(const std::string& name) const { return root_ / "windows" / name; }
  void WriteWindowsFile(const std::string& name, const std::string& text) const {
    std::ofstream(Windows(name), std::ios::binary) << text;
  }
  // Copies one of the committed installation files into windows/.
  void StageDataFile(const std::string& name) const {
    std::filesystem::copy_file(SourceDir() / "data" / name, Windows(name),
                               std::filesystem::copy_options::overwrite_existing);
  }
  static std::filesystem::path SourceDir() {
    const char* dir = std::getenv("TERRAVUE_SOURCE_DIR");
    return dir != nullptr ? std::filesystem::path(dir) : std::filesystem::path(".");
  }

 private:
  std::filesystem::path root_;
};

// Fixes the clock at an ISO UTC time for the rest of the test.
inline void SetClock(std::string_view iso) { tv::clock::SetFixedUtc(tv::clock::ParseIsoUtc(iso)); }

}  // namespace terravue::testing
