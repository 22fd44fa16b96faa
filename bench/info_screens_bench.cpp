#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <string>

#include "bench/bench_support.h"
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

using terravue::bench::InstalledDevice;
using terravue::bench::BenchRun;

namespace fs = std::filesystem;

bool DeviceReady() {
  static InstalledDevice device;
  return device.Ok();
}

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
