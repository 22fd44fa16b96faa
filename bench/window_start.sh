#!/usr/bin/env bash
# Times the windowed start to its first presented frame, whole process,
# under Xvfb: runs the program RUNS times (default 21) with a preloaded
# module that ends it right after its first present, and writes the median
# wall and CPU time as Google Benchmark JSON for bench/table.py.
# Usage: bench/window_start.sh BUILD_DIR OUT.json
set -euo pipefail
build="$(realpath "$1")"
out="$2"
runs="${WINDOW_START_RUNS:-21}"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
# The first start imports the installation files; time the later ones.
printf 'dump\n' | "$build/app/terravue" --device-root "$root" --headless --script - >/dev/null
export TERRAVUE_BENCH_BINARY="$build/app/terravue" TERRAVUE_BENCH_ROOT="$root" RUNS="$runs"
export TERRAVUE_BENCH_PRELOAD="$build/bench/first_frame_exit.so"
xvfb-run -a -s "-screen 0 640x800x24" python3 - "$out" <<'PY'
import json, os, resource, statistics, subprocess, sys, time
binary, root = os.environ["TERRAVUE_BENCH_BINARY"], os.environ["TERRAVUE_BENCH_ROOT"]
env = dict(os.environ, LD_PRELOAD=os.environ["TERRAVUE_BENCH_PRELOAD"])
walls, cpus = [], []
for _ in range(int(os.environ["RUNS"])):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run([binary, "--device-root", root], env=env, check=True)
    walls.append(time.perf_counter() - start)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpus.append(after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime)
entry = {"name": "WindowedStartToFirstFrame", "run_name": "WindowedStartToFirstFrame",
         "run_type": "aggregate", "aggregate_name": "median", "time_unit": "ms",
         "real_time": statistics.median(walls) * 1e3, "cpu_time": statistics.median(cpus) * 1e3,
         "program_cpu_s": statistics.median(cpus)}
with open(sys.argv[1], "w") as f:
    json.dump({"benchmarks": [entry]}, f)
print(f"windowed start to first frame: median {entry['real_time']:.1f} ms wall, "
      f"{entry['cpu_time']:.1f} ms CPU of {len(walls)} runs")
PY
