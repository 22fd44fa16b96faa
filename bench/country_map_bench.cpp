#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <deque>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "bench/bench_support.h"
#include "db/country_store.h"
#include "maps/country_map_screen.h"
#include "platform/files/files.h"
#include "platform/store/object_store.h"
#include "platform/store/record_database.h"
#include "platform/ui/desktop.h"
#include "screens/navigator.h"
#include "tests/gif_writer.h"

void RegisterTerravueResources();
extern char** environ;

namespace {

using terravue::bench::NullNavigator;
using terravue::bench::BenchRun;

namespace fs = std::filesystem;
using terravue::CountryMapScreen;

const fs::path kMaps = fs::path(TERRAVUE_SOURCE_DIR) / "data" / "Terravue Maps";
const fs::path kDeviceRoot = "bench_map_device_root";
const fs::path kBenchMaps = "bench_maps";

BenchRun* current_run = nullptr;

// A device whose country store knows the places the benchmarks open.
void PrepareDevice() {
  RegisterTerravueResources();
  fs::remove_all(kDeviceRoot);
  fs::create_directories(kDeviceRoot);
  tv::store::ObjectStore::CloseShared();
  tv::files::SetDeviceRoot(kDeviceRoot);
  std::optional<tv::store::RecordDatabase> store =
      terravue::CountryRecordStore::OpenOrCreateCountryStore();
  const bool filled =
      store &&
      terravue::CountryRecordStore::AppendCountryField(*store, u"France", u"geography", u"scale",
                                                       u"2.9") &&
      terravue::CountryRecordStore::AppendCountryField(*store, u"France", u"geography", u"map",
                                                       u"France") &&
      terravue::CountryRecordStore::AppendCountryField(*store, u"Square", u"geography", u"scale",
                                                       u"3") &&
      terravue::CountryRecordStore::AppendCountryField(*store, u"Square", u"geography", u"map",
                                                       u"square");
  if (!filled) std::fputs("the benchmark's country store could not be made\n", stderr);

  // A 480 x 480 map of 16 colours in bands.
  fs::create_directories(kBenchMaps);
  terravue::testing::GifSpec spec;
  spec.screen_width = spec.width = 480;
  spec.screen_height = spec.height = 480;
  spec.global_colors = 16;
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 480; ++x) spec.pixels.push_back(static_cast<uint8_t>((x / 7 + y / 5) % 16));
  }
  const std::vector<uint8_t> gif = terravue::testing::WriteGif(spec);
  std::ofstream(kBenchMaps / "square.gif", std::ios::binary)
      .write(reinterpret_cast<const char*>(gif.data()), static_cast<std::streamsize>(gif.size()));
}

// Opening the map of France: its two records, the file, the decoding, the
// square copy and the first paint, each iteration a fresh screen.
void BM_OpenFranceMap(benchmark::State& state) {
  if (!fs::exists(kMaps / "France.gif")) {
    state.SkipWithError("no map of France in data/Terravue Maps");
    return;
  }
  PrepareDevice();
  NullNavigator navigator;
  terravue::ScopedNavigator installed(navigator);
  BenchRun run([] {});
  tv::ui::Desktop desktop(run, tv::gfx::PixelFormat::kRgb565);
  for (auto _ : state) {
    CountryMapScreen screen;
    screen.country = u"France";
    screen.maps_folder = kMaps;
    // The screen's first idle moment comes after its first paint.
    run.Then([&screen] { screen.EndDialog(tv::ui::kIdOk); });
    screen.RunModal();
    if (screen.View().Natural().width == 0) state.SkipWithError("the map did not open");
  }
}
BENCHMARK(BM_OpenFranceMap)->Unit(benchmark::kMillisecond);

// Runs `body` on an open map screen of the 480 x 480 map.
void OnSquareMap(const std::function<void(CountryMapScreen&)>& body) {
  PrepareDevice();
  NullNavigator navigator;
  terravue::ScopedNavigator installed(navigator);
  CountryMapScreen screen;
  BenchRun run([&] {
    body(screen);
    screen.EndDialog(tv::ui::kIdOk);
  });
  current_run = &run;
  tv::ui::Desktop desktop(run, tv::gfx::PixelFormat::kRgb565);
  screen.country = u"Square";
  screen.maps_folder = kBenchMaps;
  screen.RunModal();
}

// One zoom step in from 480 x 480 to 624 x 624, with the paint that rebuilds
// the view. Each step is taken on a freshly opened screen (not timed), so
// that every one starts from the natural size.
void BM_ZoomStep480(benchmark::State& state) {
  OnSquareMap([&state](CountryMapScreen&) {
    BenchRun& run = *current_run;
    int width = 0;
    for (auto _ : state) {
      state.PauseTiming();
      CountryMapScreen screen;
      screen.country = u"Square";
      screen.maps_folder = kBenchMaps;
      run.Then([&] {
        state.ResumeTiming();
        screen.RunCommand(terravue::kZoomInCommand);
        state.PauseTiming();
        width = screen.View().Current().width;
        screen.EndDialog(tv::ui::kIdOk);
      });
      screen.RunModal();
      state.ResumeTiming();
    }
    state.counters["width"] = width;
  });
}
BENCHMARK(BM_ZoomStep480)->Unit(benchmark::kMicrosecond);

// One line of scrolling on the zoomed map: the bar, the moved pixels and
// the paint of the uncovered strip, right and left in turn.
void BM_ScrollLine(benchmark::State& state) {
  OnSquareMap([&state](CountryMapScreen& screen) {
    screen.RunCommand(terravue::kZoomInCommand);
    tv::ui::Desktop& desktop = tv::ui::Desktop::Get();
    bool right = true;
    for (auto _ : state) {
      desktop.PostEvent(tv::ui::Event::KeyPress(right ? tv::ui::Key::kRight : tv::ui::Key::kLeft));
      desktop.ProcessOneEvent();
      right = !right;
    }
    state.counters["scroll_x"] = screen.View().ScrollOffset().x;
  });
}
BENCHMARK(BM_ScrollLine)->Unit(benchmark::kMicrosecond);

// Peak resident memory of the whole program, headless, with the World map
// zoomed in twice.
void BM_PeakMemoryWorldZoomedTwice(benchmark::State& state) {
  if (!fs::exists(kMaps / "World.gif")) {
    state.SkipWithError("no World map in data/Terravue Maps");
    return;
  }
  const fs::path root = "bench_world_device_root";
  fs::create_directories(root / "windows");
  for (const char* name : {"QuorvelCountriesTerravue.txt", "QuorvelZones.txt"}) {
    if (!fs::exists(root / "objectstore.sqlite3")) {
      fs::copy_file(fs::path(TERRAVUE_SOURCE_DIR) / "data" / name, root / "windows" / name,
                    fs::copy_options::overwrite_existing);
    }
  }
  const std::string script = "bench_world.script";
  std::ofstream(script) << "open country-map \"World\"\npress 32784\npress 32784\n";
  const std::string binary = TERRAVUE_BINARY;
  const std::string root_text = root.string();
  char* argv[] = {const_cast<char*>(binary.c_str()), const_cast<char*>("--device-root"),
                  const_cast<char*>(root_text.c_str()), const_cast<char*>("--headless"),
                  const_cast<char*>("--script"), const_cast<char*>(script.c_str()), nullptr};
  // The first start imports the country data; the runs measured come after.
  auto run_once = [&](rusage& usage) {
    pid_t pid = 0;
    if (posix_spawn(&pid, binary.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
    int status = 0;
    if (wait4(pid, &status, 0, &usage) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  };
  rusage usage{};
  if (!run_once(usage)) {
    state.SkipWithError("the program failed");
    return;
  }
  long peak_kb = 0;
  for (auto _ : state) {
    if (!run_once(usage)) state.SkipWithError("the program failed");
    peak_kb = std::max(peak_kb, usage.ru_maxrss);
  }
  state.counters["peak_rss_MB"] = static_cast<double>(peak_kb) / 1024.0;
}
BENCHMARK(BM_PeakMemoryWorldZoomedTwice)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
