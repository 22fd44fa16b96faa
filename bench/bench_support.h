#pragma once

// What the screen benchmarks share: a device with the real facts imported, a
// backend that feeds the program steps when it is idle, and a navigator that
// opens nothing.

#include <stdlib.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "db/country_import.h"
#include "db/zone_store.h"
#include "platform/files/files.h"
#include "platform/store/object_store.h"
#include "platform/ui/backend.h"
#include "screens/navigator.h"

namespace terravue::bench {

// A device root of the benchmark's own holding both databases, imported from
// the real installation files, removed again at the end.
class InstalledDevice {
 public:
  InstalledDevice() {
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "terravue-bench-XXXXXX").string();
    root_ = mkdtemp(pattern.data());
    fs::create_directories(root_ / "windows");
    for (const char* name : {"QuorvelCountriesTerravue.txt", "QuorvelZones.txt"}) {
      fs::copy_file(fs::path(TERRAVUE_SOURCE_DIR) / "data" / name, root_ / "windows" / name);
    }
    tv::store::ObjectStore::CloseShared();
    tv::files::SetDeviceRoot(root_);
    ok_ = ZoneRecordStore::ImportZoneData() && ImportCountryData();
  }
  ~InstalledDevice() {
    tv::store::ObjectStore::CloseShared();
    tv::files::SetDeviceRoot(std::nullopt);
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  InstalledDevice(const InstalledDevice&) = delete;
  InstalledDevice& operator=(const InstalledDevice&) = delete;
  bool Ok() const { return ok_; }

 private:
  std::filesystem::path root_;
  bool ok_ = false;
};

// A backend that hands the program one step each time it is idle, starting
// with `first`, and quits when none is left.
class BenchRun : public tv::ui::Backend {
 public:
  explicit BenchRun(std::function<void()> first) { steps_.push_back(std::move(first)); }
  tv::ui::Event WaitEvent() override {
    if (steps_.empty()) return tv::ui::Event::Quit();
    auto step = std::move(steps_.front());
    steps_.pop_front();
    return tv::ui::Event::Task(std::move(step));
  }
  void Present(const tv::gfx::Bitmap& frame) override { (void)frame; }
  // Runs `step` at the next idle moment.
  void Then(std::function<void()> step) { steps_.push_back(std::move(step)); }

 private:
  std::deque<std::function<void()>> steps_;
};

// A navigator that opens nothing, so a benchmark stays on its screen;
// override what a benchmark counts.
class NullNavigator : public Navigator {
 public:
  void OpenContinentMap(int) override {}
  void OpenReferenceMap(int) override {}
  void OpenCountryMap(std::u16string_view) override {}
  void OpenCountryInfo(std::u16string_view) override {}
  void OpenDayNight() override {}
  void OpenCompare() override {}
  void OpenQuickFacts() override {}
  void OpenHelp(std::u16string_view) override {}
  std::unique_ptr<tv::ui::Dialog> ShowInstallScreen() override { return nullptr; }
};

}  // namespace terravue::bench
