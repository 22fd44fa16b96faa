#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/main_screen.h"
#include "app/terravue_app.h"
#include "places/places.h"
#include "platform/files/files.h"
#include "platform/ui/automation.h"
#include "platform/ui/desktop.h"

void RegisterTerravueResources();
extern char** environ;

namespace {

// Runs the program with `args` and waits for it; returns the exit status,
// adds the CPU time the program used to `cpu_seconds` and raises `peak_kib`
// to its peak resident memory.
int Spawn(std::vector<std::string> args, double* cpu_seconds = nullptr,
          long* peak_kib = nullptr) {
  args.insert(args.begin(), TERRAVUE_BINARY);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return -1;
  if (cpu_seconds != nullptr) {
    *cpu_seconds += static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                    static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  }
  if (peak_kib != nullptr) *peak_kib = std::max(*peak_kib, usage.ru_maxrss);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Starts the program headless with a script on a device root of the
// benchmark's own, never the user's.
int RunProgram(const std::string& script_path, double* cpu_seconds = nullptr,
               const std::string& root = "bench_device_root", long* peak_kib = nullptr) {
  return Spawn({"--device-root", root, "--headless", "--script", script_path}, cpu_seconds,
               peak_kib);
}

std::string WriteScript(const std::string& name, const std::string& text) {
  const std::string path = "bench_" + name + ".script";
  std::ofstream(path) << text;
  return path;
}

// Start-up to the first presented frame, measured as a whole process whose
// empty script ends the run right after that frame. The program's own CPU
// time (user and system) is counted too: on a busy machine the wall time
// also holds the time it waited for a processor.
void BM_ColdStartToFirstFrame(benchmark::State& state) {
  const std::string script = WriteScript("empty", "# nothing: quit after the first frame\n");
  double cpu_seconds = 0.0;
  for (auto _ : state) {
    if (RunProgram(script, &cpu_seconds) != 0) state.SkipWithError("the program failed");
  }
  state.counters["program_cpu_s"] = benchmark::Counter(cpu_seconds, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ColdStartToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the first start's import of both installation files adds to a start,
// whole process: each iteration stages the files into a fresh device root,
// then times the first start (which imports them) less a plain start of the
// same root. The CPU counter is the same difference of the program's CPU.
void BM_FirstStartImportOverPlainStart(benchmark::State& state) {
  const std::string script = WriteScript("first", "# nothing: quit after the first frame\n");
  const std::string root = "bench_first_start_root";
  double cpu_seconds = 0.0;
  for (auto _ : state) {
    std::filesystem::remove_all(root);
    if (Spawn({"--stage-data", root}) != 0) state.SkipWithError("staging failed");
    double first_cpu = 0.0;
    double plain_cpu = 0.0;
    const auto start = std::chrono::steady_clock::now();
    const bool first_ok = RunProgram(script, &first_cpu, root) == 0;
    const auto between = std::chrono::steady_clock::now();
    const bool plain_ok = RunProgram(script, &plain_cpu, root) == 0;
    const auto end = std::chrono::steady_clock::now();
    if (!first_ok || !plain_ok) state.SkipWithError("the program failed");
    if (std::filesystem::exists(root + "/windows/QuorvelCountriesTerravue.txt")) {
      state.SkipWithError("the first start imported nothing");
    }
    const std::chrono::duration<double> import = (between - start) - (end - between);
    state.SetIterationTime(std::max(import.count(), 0.0));
    cpu_seconds += first_cpu - plain_cpu;
  }
  std::filesystem::remove_all(root);
  state.counters["program_cpu_s"] = benchmark::Counter(cpu_seconds, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_FirstStartImportOverPlainStart)->Unit(benchmark::kMillisecond)->UseManualTime();

// Peak resident memory of a headless run that opens the help screen, walks
// the regions, opens a region's map from the world map and taps the sea.
void BM_PeakMemoryHeadlessRun(benchmark::State& state) {
  const std::string script = WriteScript(
      "walk",
      "choose 1009 \"Europe\"\nchoose 1009 \"Africa\"\nchoose 1009 \"World Countries\"\n"
      "press 1007\nkey PageDown\nkey Escape\n"
      "tap 120 40\nkey Escape\ntap 5 5\npress ok\n");
  long peak_kib = 0;
  for (auto _ : state) {
    if (RunProgram(script, nullptr, "bench_device_root", &peak_kib) != 0) {
      state.SkipWithError("the program failed");
    }
  }
  state.counters["peak_rss_MB"] = static_cast<double>(peak_kib) / 1024.0;
}
BENCHMARK(BM_PeakMemoryHeadlessRun)->Unit(benchmark::kMillisecond)->Iterations(3);

// A backend that hands the program its steps, one each time it is idle.
class BenchRun : public tv::ui::Backend {
 public:
  explicit BenchRun(std::deque<std::function<void()>> steps) : steps_(std::move(steps)) {}
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

// Starts the program in this process and runs `body` on the main screen.
void RunInProgram(std::function<void()> body) {
  RegisterTerravueResources();
  tv::files::SetDeviceRoot(std::filesystem::path("bench_device_root"));
  BenchRun run({std::move(body)});
  tv::ui::Desktop desktop(run, tv::gfx::PixelFormat::kRgb565);
  terravue::RunTerravue();
}

void BM_MainScreenFullRepaint(benchmark::State& state) {
  RunInProgram([&state] {
    tv::ui::Desktop& desktop = tv::ui::Desktop::Get();
    tv::ui::Window* screen = desktop.ActiveWindow();
    for (auto _ : state) {
      screen->Invalidate(true);
      desktop.PaintPending();
    }
  });
}
BENCHMARK(BM_MainScreenFullRepaint)->Unit(benchmark::kMicrosecond);

void BM_TapHitTest(benchmark::State& state) {
  RunInProgram([&state] {
    tv::ui::Window* screen = tv::ui::Desktop::Get().ActiveWindow();
    int x = 1;
    for (auto _ : state) {
      const auto pixel = screen->GetScreenCanvas().GetPixel({x, 40});
      std::u16string name;
      benchmark::DoNotOptimize(
          terravue::HitTestRegion(terravue::NormalizePixelColor(*pixel), x, name));
      x = x % 238 + 1;
    }
  });
}
BENCHMARK(BM_TapHitTest);

}  // namespace

BENCHMARK_MAIN();
