#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>

#include "bench/bench_support.h"
#include "daynight/day_night_screen.h"
#include "db/country_import.h"
#include "db/zone_store.h"
#include "platform/clock/clock.h"
#include "platform/files/files.h"
#include "platform/resources/resources.h"
#include "platform/store/object_store.h"
#include "platform/ui/backend.h"
#include "platform/ui/desktop.h"

void RegisterTerravueResources();

namespace {

using terravue::bench::InstalledDevice;

namespace fs = std::filesystem;

// A backend that is never waited on: the benchmarks drive the desktop.
class NoInput : public tv::ui::Backend {
 public:
  tv::ui::Event WaitEvent() override { return tv::ui::Event::Quit(); }
  void Present(const tv::gfx::Bitmap& frame) override { (void)frame; }
};

// A June solstice noon, UTC: night over the Pacific at both edges of the map
// and polar night in the far south.
void FixClock() { tv::clock::SetFixedUtc(tv::clock::ParseIsoUtc("2027-06-21T12:00:00Z")); }

// The whole night shading of the plot: 5,760 points, each read from the
// display, classified with a fresh clock reading and model, and darkened when
// in night. The map is drawn again, untimed, before each shading.
void BM_ShadeNight(benchmark::State& state) {
  RegisterTerravueResources();
  InstalledDevice device;
  if (!device.Ok()) {
    state.SkipWithError("import failed");
    return;
  }
  FixClock();
  NoInput backend;
  tv::ui::Desktop desktop(backend, tv::gfx::PixelFormat::kRgb565);
  terravue::DayNightScreen screen;
  screen.CreateModeless();
  screen.Show(true);
  desktop.PaintPending();
  const auto map = tv::res::LoadBitmap(376);
  for (auto _ : state) {
    state.PauseTiming();
    tv::gfx::Canvas canvas = screen.GetScreenCanvas();
    canvas.SetBrush(tv::gfx::Brush::Pattern(map));
    canvas.Rectangle({0, 0, 240, 120});
    state.ResumeTiming();
    if (!screen.ShadeNight()) state.SkipWithError("a map pixel could not be read");
  }
  tv::clock::SetFixedUtc(std::nullopt);
  state.SetItemsProcessed(state.iterations() * 5760);
}
BENCHMARK(BM_ShadeNight)->Unit(benchmark::kMillisecond);

// Opening the screen to its first complete paint: the three selectors filled
// with 256 places each, the three clocks read from the databases, the map
// drawn and shaded and the clocks drawn.
void BM_OpenToFirstPaint(benchmark::State& state) {
  RegisterTerravueResources();
  InstalledDevice device;
  if (!device.Ok()) {
    state.SkipWithError("import failed");
    return;
  }
  FixClock();
  NoInput backend;
  tv::ui::Desktop desktop(backend, tv::gfx::PixelFormat::kRgb565);
  for (auto _ : state) {
    auto screen = std::make_unique<terravue::DayNightScreen>();
    screen->CreateModeless();
    screen->Show(true);
    desktop.PaintPending();
    state.PauseTiming();
    if (screen->StateForDump()[0].second.find("Time Database Error!") != std::string::npos) {
      state.SkipWithError("a clock found no zone");
    }
    screen.reset();
    desktop.PaintPending();
    tv::store::ObjectStore::EndSharedReadTransactions();
    state.ResumeTiming();
  }
  tv::clock::SetFixedUtc(std::nullopt);
}
BENCHMARK(BM_OpenToFirstPaint)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
