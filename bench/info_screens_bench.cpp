#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <string>

#include "db/country_import.h"
#include "db/zone_store.h"
#include "info/categories.h"
#include "info/compare_screen.h"
#include "info/country_info_screen.h"
#include "platform/files/files.h"
#include "platform/store/object_store.h"
#include "platform/ui/controls.h"
#include "platform/ui/desktop.h"

void RegisterTerravueResources();

namespace {

namespace fs = std::filesystem;

// A device root of the benchmark's own with the real facts imported, made
// once for the whole run and removed at its end.
class ImportedDevice {
 public:
  ImportedDevice() {
    std::string pattern = (fs::temp_directory_path() / "terravue-bench-XXXXXX").string();
    root_ = mkdtemp(pattern.data());
    fs::create_directories(root_ / "windows");
    for (const char* name : {"QuorvelCountriesTerravue.txt", "QuorvelZones.txt"}) {
      fs::copy_file(fs::path(TERRAVUE_SOURCE_DIR) / "data" / name, root_ / "windows" / name);
    }
    tv::store::ObjectStore::CloseShared();
    tv::files::SetDeviceRoot(root_);
    ok_ = terravue::ZoneRecordStore::ImportZoneData() && terravue::ImportCountryData({});
  }
  ~ImportedDevice() {
    tv::store::ObjectStore::CloseShared();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  bool Ok() const { return ok_; }

 private:
  fs::path root_;
  bool ok_ = false;
};

bool DeviceReady() {
  static ImportedDevice device;
  return device.Ok();
}

// A backend that runs one body when the desktop is first idle, then quits.
class BenchRun : public tv::ui::Backend {
 public:
  explicit BenchRun(std::function<void()> body) { steps_.push_back(std::move(body)); }
  tv::ui::Event WaitEvent() override {
    if (steps_.empty()) return tv::ui::Event::Quit();
    auto step = std::move(steps_.front());
    steps_.pop_front();
    return tv::ui::Event::Task(std::move(step));
  }
  void Present(const tv::gfx::Bitmap& frame) override { (void)frame; }

 private:
  std::deque<std::function<void()>> steps_;
};

// Runs `body` inside a desktop, with the program's resources and the real
// facts.
void RunOnDesktop(benchmark::State& state, const std::function<void()>& body) {
  if (!DeviceReady()) {
    state.SkipWithError("the real data could not be imported");
    return;
  }
  RegisterTerravueResources();
  BenchRun run(body);
  tv::ui::Desktop desktop(run, tv::gfx::PixelFormat::kRgb565);
  desktop.RunUntil([] { return false; });
}

// Construction, initialisation (the category list filled from the store) and
// the first paint of the whole screen.
void BM_OpenCountryInfo(benchmark::State& state) {
  RunOnDesktop(state, [&state] {
    tv::ui::Desktop& desktop = tv::ui::Desktop::Get();
    for (auto _ : state) {
      terravue::CountryInfoScreen screen;
      screen.country_name = u"France";
      screen.CreateModeless();
      screen.Show(true);
      desktop.PaintPending();
    }
  });
}
BENCHMARK(BM_OpenCountryInfo)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

// One confirmed category choice: the list rebuilt from the store and painted.
void BM_CountryInfoCategoryChange(benchmark::State& state) {
  RunOnDesktop(state, [&state] {
    tv::ui::Desktop& desktop = tv::ui::Desktop::Get();
    terravue::CountryInfoScreen screen;
    screen.country_name = u"France";
    screen.CreateModeless();
    screen.Show(true);
    desktop.PaintPending();
    auto& selector = screen.Control<tv::ui::ComboBox>(terravue::kInfoCategorySelector);
    int category = 0;
    for (auto _ : state) {
      category = (category + 1) % terravue::kCategoryCount;
      selector.ChooseFromUser(category);
      desktop.PaintPending();
    }
  });
}
BENCHMARK(BM_CountryInfoCategoryChange)
    ->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

// A confirmed category choice on Compare: the feature selector refilled and
// all five rows read from the store, set and painted.
void BM_CompareCategoryChange(benchmark::State& state) {
  RunOnDesktop(state, [&state] {
    tv::ui::Desktop& desktop = tv::ui::Desktop::Get();
    terravue::CompareScreen screen;
    screen.CreateModeless();
    screen.Show(true);
    desktop.PaintPending();
    auto& selector = screen.Control<tv::ui::ComboBox>(terravue::kCompareCategorySelector);
    int category = 0;
    for (auto _ : state) {
      category = (category + 1) % terravue::kCategoryCount;
      selector.ChooseFromUser(category);
      desktop.PaintPending();
    }
  });
}
BENCHMARK(BM_CompareCategoryChange)
    ->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

}  // namespace

BENCHMARK_MAIN();
