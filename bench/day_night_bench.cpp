#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <time.h>

#include <filesystem>
#include <optional>
#include <string>
#include <thread>

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

// What every benchmark of the plot starts from: the installed device, the
// clock fixed at that noon and a desktop that is never waited on, with the
// plot open and painted unless `open` is false. The clock runs free again
// when it goes.
struct PlotBench {
  explicit PlotBench(bool open = true) {
    if (!ok) return;
    FixClock();
    if (!open) return;
    screen.CreateModeless();
    screen.Show(true);
    desktop.PaintPending();
  }
  ~PlotBench() { tv::clock::SetFixedUtc(std::nullopt); }

  bool registered = (RegisterTerravueResources(), true);
  InstalledDevice device;
  bool ok = device.Ok();
  NoInput backend;
  tv::ui::Desktop desktop{backend, tv::gfx::PixelFormat::kRgb565};
  terravue::DayNightScreen screen;
};

// The whole night shading of the plot: 5,760 points, each read from the
// display, classified with a fresh clock reading and model, and darkened when
// in night. The map is drawn again, untimed, before each shading.
void BM_ShadeNight(benchmark::State& state) {
  PlotBench plot;
  if (!plot.ok) {
    state.SkipWithError("import failed");
    return;
  }
  const auto map = tv::res::LoadBitmap(376);
  for (auto _ : state) {
    state.PauseTiming();
    tv::gfx::Canvas canvas = plot.screen.GetScreenCanvas();
    canvas.SetBrush(tv::gfx::Brush::Pattern(map));
    canvas.Rectangle({0, 0, 240, 120});
    state.ResumeTiming();
    if (!plot.screen.ShadeNight()) state.SkipWithError("a map pixel could not be read");
  }
  state.SetItemsProcessed(state.iterations() * 5760);
}
BENCHMARK(BM_ShadeNight)->Unit(benchmark::kMillisecond);

// Opening the screen to its first complete paint: the three selectors filled
// with 256 places each, the three clocks read from the databases, the map
// drawn and shaded and the clocks drawn.
void BM_OpenToFirstPaint(benchmark::State& state) {
  PlotBench plot(/*open=*/false);
  if (!plot.ok) {
    state.SkipWithError("import failed");
    return;
  }
  for (auto _ : state) {
    auto screen = std::make_unique<terravue::DayNightScreen>();
    screen->CreateModeless();
    screen->Show(true);
    plot.desktop.PaintPending();
    state.PauseTiming();
    if (screen->StateForDump()[0].second.find("Time Database Error!") != std::string::npos) {
      state.SkipWithError("a clock found no zone");
    }
    screen.reset();
    plot.desktop.PaintPending();
    tv::store::ObjectStore::EndSharedReadTransactions();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenToFirstPaint)->Unit(benchmark::kMillisecond);

// One minute's tick on an open screen: the clocks read again and repainted,
// and, every few minutes when the night side has moved by a plotted point,
// the map repainted and shaded. It must fit in one frame at 60 Hz.
void BM_MinuteTick(benchmark::State& state) {
  PlotBench plot;
  if (!plot.ok) {
    state.SkipWithError("import failed");
    return;
  }
  for (auto _ : state) {
    tv::clock::Advance(std::chrono::minutes(1));
    plot.screen.Tick();
    plot.desktop.PaintPending();
  }
}
BENCHMARK(BM_MinuteTick)->Unit(benchmark::kMillisecond);

// A backend that really waits, as a window does, and ends the program after
// `idle` of wall time.
class SleepingInput : public tv::ui::Backend {
 public:
  explicit SleepingInput(std::chrono::milliseconds idle)
      : end_(std::chrono::steady_clock::now() + idle) {}
  tv::ui::Event WaitEvent() override {
    std::this_thread::sleep_until(end_);
    return tv::ui::Event::Quit();
  }
  bool WaitEventUntil(std::chrono::milliseconds deadline, tv::ui::Event& event) override {
    const auto wake = std::chrono::steady_clock::time_point(deadline);
    if (wake < end_) {
      std::this_thread::sleep_until(wake);
      return false;
    }
    event = WaitEvent();
    return true;
  }
  void Present(const tv::gfx::Bitmap& frame) override { (void)frame; }

 private:
  std::chrono::steady_clock::time_point end_;
};

double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

// The screen left alone for ten seconds on the real clock, its minute timer
// set: the event loop sleeps until the next tick, so the process's CPU time
// over the ten seconds (counter idle_cpu_s) stays near nothing.
void BM_IdleTenSeconds(benchmark::State& state) {
  RegisterTerravueResources();
  InstalledDevice device;
  if (!device.Ok()) {
    state.SkipWithError("import failed");
    return;
  }
  tv::clock::SetFixedUtc(std::nullopt);
  double idle_cpu = 0;
  for (auto _ : state) {
    SleepingInput backend(std::chrono::seconds(10));
    tv::ui::Desktop desktop(backend, tv::gfx::PixelFormat::kRgb565);
    terravue::DayNightScreen screen;
    screen.CreateModeless();
    screen.Show(true);
    desktop.PaintPending();
    desktop.Present();
    const double before = ProcessCpuSeconds();
    desktop.RunUntil([] { return false; });
    idle_cpu = ProcessCpuSeconds() - before;
  }
  state.counters["idle_cpu_s"] = idle_cpu;
}
BENCHMARK(BM_IdleTenSeconds)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
