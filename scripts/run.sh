#!/usr/bin/env bash
# Installs what is missing, builds Terravue, stages its installation data
# when the device has no databases yet, and starts it. Arguments are passed
# to the program (see `scripts/run.sh --help`).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTERRAVUE_TESTS=OFF -DTERRAVUE_BENCHMARKS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target terravue terravue-uninstall
root=""
args=("$@")
for ((i = 0; i < ${#args[@]}; i++)); do
  if [ "${args[$i]}" = "--device-root" ] && [ $((i + 1)) -lt ${#args[@]} ]; then
    root="${args[$((i + 1))]}"
  fi
done
scripts/stage-data.sh ${root:+"$root"}
exec build/app/terravue "$@"
