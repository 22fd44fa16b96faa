#!/usr/bin/env bash
# Random use for a long time: builds Terravue with AddressSanitizer and
# UndefinedBehaviorSanitizer and drives it with a seeded random stream of
# taps, drags, keys and script commands across every screen.
#
# Usage: scripts/monkey.sh [EVENTS, default 100000] [SEED, default random]
#        (build folder: $MONKEY_BUILD_DIR, default build-sanitize)
# The seed is printed first: run again with it to replay a failure. The run
# ends with the peak heap in use after 10,000 events and at the end, and
# fails on a crash, a sanitizer report (leaks included), a stuck modal loop,
# a stack of screens that Escape cannot close, or a peak heap that grew by
# more than 20 % after the first 10,000 events.
set -euo pipefail
cd "$(dirname "$0")/.."

events="${1:-100000}"
seed="${2:-}"
if [[ -z "$seed" ]]; then
  seed="$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')"
fi
echo "monkey: seed $seed ($events events); replay with: scripts/monkey.sh $events $seed"

"$PWD/scripts/install-deps.sh"
build="${MONKEY_BUILD_DIR:-build-sanitize}"
# A new folder is optimised with debug information; an existing one keeps
# its build type (a Debug sanitizer build works as well, only slower).
if [[ -f "$build/CMakeCache.txt" ]]; then
  cmake -S . -B "$build" -DTERRAVUE_SANITIZE=ON >/dev/null
else
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTERRAVUE_SANITIZE=ON \
    -DTERRAVUE_BENCHMARKS=OFF >/dev/null
fi
cmake --build "$build" --target terravue_monkey -j"$(nproc)"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
growth=()
if (( events > 10000 )); then growth=(--max-growth 20); fi
cd "$build/tests"
exec ./terravue_monkey --events "$events" --seed "$seed" --report-at 10000 "${growth[@]}"
