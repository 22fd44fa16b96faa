#!/usr/bin/env bash
# Installs what is missing, builds Terravue and starts it. Arguments are
# passed to the program (see `scripts/run.sh --help`).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTERRAVUE_TESTS=OFF -DTERRAVUE_BENCHMARKS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target terravue
exec build/app/terravue "$@"
