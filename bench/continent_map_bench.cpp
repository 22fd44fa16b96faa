#include <benchmark/benchmark.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "db/country_import.h"
#include "maps/continent_map_screen.h"
#include "maps/country_map_screen.h"
#include "maps/reference_map_screen.h"
#include "platform/files/files.h"
#include "platform/store/object_store.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialog.h"
#include "screens/navigator.h"
#include "tests/region_map_taps.h"

void RegisterTerravueResources();

namespace {

using terravue::bench::BenchRun;

using terravue::Navigator;

// Counts the requests to open a country map and drops every other.
class CountingNavigator : public terravue::bench::NullNavigator {
 public:
  int country_maps = 0;
  void OpenCountryMap(std::u16string_view) override { ++country_maps; }
};

// Runs `screen` modally on a 16-bit display and `body` once it is shown.
void RunScreen(tv::ui::Dialog& screen, Navigator& navigator, std::function<void()> body) {
  RegisterTerravueResources();
  BenchRun run(std::move(body));
  tv::ui::Desktop desktop(run, tv::gfx::PixelFormat::kRgb565);
  terravue::ScopedNavigator installed(navigator);
  screen.RunModal();
}

// A stylus tap on a mapped place of region `range(0)`'s map, from the pen
// events to the request to open that place's country map, with the frame
// presented after it. The taps cycle through every mapped place.
void BM_RegionMapTapToCountryMapRequest(benchmark::State& state) {
  const int region = static_cast<int>(state.range(0));
  std::vector<tv::gfx::Point> taps;
  for (const terravue::RegionMapTap& tap : terravue::kRegionMapTaps) {
    if (tap.region == region) taps.push_back({tap.x, tap.y});
  }
  CountingNavigator navigator;
  terravue::ContinentMapScreen screen;
  screen.region = region;
  RunScreen(screen, navigator, [&] {
    tv::ui::Desktop& desktop = tv::ui::Desktop::Get();
    size_t next = 0;
    for (auto _ : state) {
      const int before = navigator.country_maps;
      const tv::gfx::Point p = taps[next] + screen.ScreenOrigin();
      next = (next + 1) % taps.size();
      desktop.PostEvent(tv::ui::Event::Pen(tv::ui::Event::Type::kPenDown, p));
      desktop.PostEvent(tv::ui::Event::Pen(tv::ui::Event::Type::kPenUp, p));
      desktop.ProcessOneEvent();
      desktop.ProcessOneEvent();
      desktop.PaintPending();
      desktop.Present();
      if (navigator.country_maps != before + 1) {
        state.SkipWithError("the tap opened no country map");
        break;
      }
    }
    screen.PressCancel();
  });
}
BENCHMARK(BM_RegionMapTapToCountryMapRequest)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);

namespace fs = std::filesystem;

// Opens the real Country Map for each tapped place, from the committed maps,
// and closes it again at its first idle moment, once it has painted.
class CountryMapNavigator : public CountingNavigator {
 public:
  BenchRun* run = nullptr;
  int opened = 0;
  void OpenCountryMap(std::u16string_view country) override {
    terravue::CountryMapScreen screen;
    screen.country = country;
    screen.maps_folder = fs::path(TERRAVUE_SOURCE_DIR) / "data" / "Terravue Maps";
    run->Then([&screen] { screen.EndDialog(tv::ui::kIdOk); });
    screen.RunModal();
    if (screen.View().Natural().width > 0) ++opened;
  }
};

// A device root whose "Countries List" holds the committed country facts.
bool PrepareCountryStore() {
  const fs::path root = "bench_continent_device_root";
  fs::remove_all(root);
  fs::create_directories(root / "windows");
  fs::copy_file(fs::path(TERRAVUE_SOURCE_DIR) / "data" / "QuorvelCountriesTerravue.txt",
                root / "windows" / "QuorvelCountriesTerravue.txt");
  tv::store::ObjectStore::CloseShared();
  tv::files::SetDeviceRoot(root);
  return terravue::ImportCountryData();
}

// A tap on a mapped place of a region map to the Country Map of that place
// opened, its map decoded and painted (and closed again, which is timed too).
// The taps cycle through every mapped place of the map.
void BM_RegionMapTapToCountryMapShown(benchmark::State& state) {
  const int region = static_cast<int>(state.range(0));
  RegisterTerravueResources();
  if (!PrepareCountryStore()) {
    state.SkipWithError("the country facts could not be imported");
    return;
  }
  std::vector<tv::gfx::Point> taps;
  for (const terravue::RegionMapTap& tap : terravue::kRegionMapTaps) {
    if (tap.region == region) taps.push_back({tap.x, tap.y});
  }
  CountryMapNavigator navigator;
  terravue::ContinentMapScreen screen;
  screen.region = region;
  BenchRun run([&] {
    tv::ui::Desktop& desktop = tv::ui::Desktop::Get();
    size_t next = 0;
    for (auto _ : state) {
      const int before = navigator.opened;
      const tv::gfx::Point p = taps[next] + screen.ScreenOrigin();
      next = (next + 1) % taps.size();
      // One event at a time: with none queued the loop would wait for the
      // backend, which has nothing more to give.
      desktop.PostEvent(tv::ui::Event::Pen(tv::ui::Event::Type::kPenDown, p));
      desktop.ProcessOneEvent();
      desktop.PostEvent(tv::ui::Event::Pen(tv::ui::Event::Type::kPenUp, p));
      desktop.ProcessOneEvent();
      // The region map shows again where the country map was, ready for
      // the next tap (which reads its pixel from the screen).
      desktop.PaintPending();
      if (navigator.opened != before + 1) {
        state.SkipWithError("the tap opened no country map");
        break;
      }
    }
    screen.PressCancel();
  });
  navigator.run = &run;
  tv::ui::Desktop desktop(run, tv::gfx::PixelFormat::kRgb565);
  terravue::ScopedNavigator installed(navigator);
  screen.RunModal();
  tv::store::ObjectStore::CloseShared();
  tv::files::SetDeviceRoot(std::nullopt);
}
BENCHMARK(BM_RegionMapTapToCountryMapShown)->Arg(3)->Arg(0)->Unit(benchmark::kMillisecond);

// One zoom step of the Reference Map on the Middle East map, alternating
// natural to double size and back: the command, the stretch into the new
// zoom surface and the repaint of the window.
void BM_ReferenceMapZoomStep(benchmark::State& state) {
  CountingNavigator navigator;
  terravue::ReferenceMapScreen screen;
  screen.region = 4;
  RunScreen(screen, navigator, [&] {
    bool zoom_in = true;
    for (auto _ : state) {
      screen.RunCommand(zoom_in ? terravue::kZoomInCommand
                                : terravue::kZoomOutCommand);
      zoom_in = !zoom_in;
    }
    if (screen.View().Current().width != 240 && screen.View().Current().width != 480) {
      state.SkipWithError("a zoom step was refused");
    }
    screen.PressCancel();
  });
}
BENCHMARK(BM_ReferenceMapZoomStep)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
