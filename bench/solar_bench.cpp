#include <benchmark/benchmark.h>

#include <optional>

#include "daynight/solar_model.h"
#include "platform/clock/clock.h"

namespace {

using terravue::DayNight;

// Classifies the plot's 5,760 sample points as the night shading does: each
// point reads the clock and computes the model afresh. The instants are a
// June solstice noon (polar day in the north, the date line at midnight), an
// equinox midnight and a December solstice evening.
void BM_ClassifyPlotPoints(benchmark::State& state) {
  static const char* const kInstants[] = {"2027-06-21T12:00:00Z", "2027-03-20T00:00:00Z",
                                          "2027-12-22T18:30:00Z"};
  tv::clock::SetFixedUtc(tv::clock::ParseIsoUtc(kInstants[state.range(0)]));
  int nights = 0;
  for (auto _ : state) {
    nights = 0;
    for (int x = terravue::kPlotFirstColumn; x <= terravue::kPlotLastColumn;
         x += terravue::kPlotStep) {
      for (int y = terravue::kPlotFirstRow; y <= terravue::kPlotLastRow;
           y += terravue::kPlotStep) {
        nights += terravue::ClassifyMapPoint(x, y) == DayNight::kNight;
      }
    }
    benchmark::DoNotOptimize(nights);
  }
  tv::clock::SetFixedUtc(std::nullopt);
  state.counters["night_points"] = nights;
  state.SetItemsProcessed(state.iterations() * 5760);
}
BENCHMARK(BM_ClassifyPlotPoints)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
