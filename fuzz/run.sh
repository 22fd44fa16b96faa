#!/usr/bin/env bash
# Builds the fuzz targets (the two imports, the picture loader, the registry
# file reader and the script reader) with clang (libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer) in a build folder of their own and runs
# each on its seed corpus for a number of seconds.
#
# Usage: fuzz/run.sh [seconds per target, default 30] [build folder, default build-fuzz]
# Needs clang and libclang-rt-dev (the libFuzzer runtime). New inputs go to
# the build folder's corpus; the seed corpus in the source tree is only read.
# Exits non-zero when a target finds a crash or a broken invariant; the
# input that caused it is left in the build folder.
set -euo pipefail

seconds="${1:-30}"
build_dir="${2:-build-fuzz}"
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

cmake -S "$source_dir" -B "$build_dir" \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
  -DTERRAVUE_FUZZ=ON -DTERRAVUE_SANITIZE=ON \
  -DTERRAVUE_TESTS=OFF -DTERRAVUE_BENCHMARKS=OFF >/dev/null
cmake --build "$build_dir" --target country_import_fuzz zone_import_fuzz picture_fuzz \
  settings_fuzz script_fuzz -j "$(nproc)"

# Every input creates, syncs and deletes a store file: keep them in memory
# where the machine allows.
if [[ -d /dev/shm && -w /dev/shm ]]; then export TMPDIR=/dev/shm; fi
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

build_dir="$(cd "$build_dir" && pwd)"
status=0
for pair in country:country_import_fuzz zones:zone_import_fuzz gif:picture_fuzz \
    settings:settings_fuzz script:script_fuzz; do
  corpus="${pair%%:*}"
  target="${pair##*:}"
  mkdir -p "$build_dir/corpus/$corpus" "$build_dir/artifacts/$corpus"
  echo "== $target, $seconds s"
  # The script reader reports every refused line on stderr; libFuzzer keeps
  # its own output and the sanitizers' reports when the target's is closed.
  quiet=()
  [ "$target" = script_fuzz ] && quiet=(-close_fd_mask=2)
  if ! "$build_dir/fuzz/$target" "${quiet[@]}" -max_total_time="$seconds" -max_len=16384 -timeout=20 \
      -print_final_stats=1 -artifact_prefix="$build_dir/artifacts/$corpus/" \
      "$build_dir/corpus/$corpus" "$source_dir/fuzz/corpus/$corpus"; then
    echo "$target failed; inputs in $build_dir/artifacts/$corpus/" >&2
    status=1
  fi
done
exit "$status"
