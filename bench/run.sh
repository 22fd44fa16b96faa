#!/usr/bin/env bash
# Builds the benchmarks in Release in their own build folder, runs every one
# of them with Google Benchmark's JSON output, and prints one table of the
# figures in bench/figures.tsv: measured (the median of the repetitions),
# target, and whether it meets it.
# Usage: bench/run.sh [BUILD_DIR]   (default build-bench)
# Environment: BENCH_REPETITIONS (default 5), BENCH_FILTER (a regular
# expression of the benchmarks to run, default all).
# The page's figures (first visit, later visit, first map opening, in
# Chromium and in Firefox) come from the browser test, run once when the
# page has been built (scripts/build-web.sh; its packages are installed with
# npm ci when missing), with this build's program as the native reference;
# without a page those rows say "not measured". BENCH_PAGE=0 skips it.
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
if [ "${BENCH_PAGE:-1}" != 0 ] && [ -f build-web/terravue.wasm ] && [ -f build-web/terravue.data ]; then
  echo "== page (web/test/browser.test.mjs)" >&2
  if [ ! -d web/test/node_modules ]; then
    (cd web/test && npm ci --no-audit --no-fund >/dev/null)
  fi
  TERRAVUE_NATIVE="$build/app/terravue" TERRAVUE_PAGE="$source_dir/build-web" \
    TERRAVUE_PAGE_FIGURES="$results/page.json" node --test web/test/browser.test.mjs \
    >"$results/page.txt" 2>&1 || echo "   the browser test failed (see $results/page.txt)" >&2
fi
echo
echo "Release build, $(nproc) CPUs, load average $(cut -d' ' -f1-3 /proc/loadavg) at the end;"
echo "medians of $repetitions repetitions; JSON in $results/."
echo
python3 bench/table.py bench/figures.tsv "$results"
