#!/usr/bin/env bash
# Builds the benchmarks in Release in their own build folder, runs every one
# of them with Google Benchmark's JSON output, and prints one table of the
# figures in bench/figures.tsv: measured (the median of the repetitions),
# target, and whether it meets it.
# Usage: bench/run.sh [BUILD_DIR]   (default build-bench)
# Environment: BENCH_REPETITIONS (default 5), BENCH_FILTER (a regular
# expression of the benchmarks to run, default all).
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir="$(pwd)"
build="$(realpath -m "${1:-build-bench}")"
repetitions="${BENCH_REPETITIONS:-5}"
filter="${BENCH_FILTER:-.}"
executables=(main_screen_bench db_bench store_bench info_screens_bench picture_bench
             country_map_bench continent_map_bench day_night_bench solar_bench)

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTERRAVUE_BENCHMARKS=ON \
      -DTERRAVUE_TESTS=OFF >/dev/null
cmake --build "$build" --target "${executables[@]}" terravue first_frame_exit -j"${BENCH_JOBS:-2}"

results="$build/bench-results"
work="$build/bench-work"
rm -rf "$results" "$work"
mkdir -p "$results" "$work"
# The benchmarks write their device roots and scripts into the folder they
# run in; keep that out of the source tree.
cd "$work"
for name in "${executables[@]}"; do
  echo "== $name" >&2
  "$build/bench/$name" --benchmark_filter="$filter" \
      --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
      --benchmark_out="$results/$name.json" --benchmark_out_format=json \
      >"$results/$name.txt" 2>&1 || echo "   $name failed (see $results/$name.txt)" >&2
done
cd "$source_dir"
echo "== window_start" >&2
bench/window_start.sh "$build" "$results/window_start.json" >&2 ||
  echo "   window_start failed" >&2
echo
echo "Release build, $(nproc) CPUs, load average $(cut -d' ' -f1-3 /proc/loadavg) at the end;"
echo "medians of $repetitions repetitions; JSON in $results/."
echo
python3 bench/table.py bench/figures.tsv "$results"
