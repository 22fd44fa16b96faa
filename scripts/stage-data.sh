#!/usr/bin/env bash
# Plays the installer's part: places the two installation text files into the
# device root's windows folder when their databases do not exist yet, so that
# Terravue builds them at its next start. The program decides what is needed
# (terravue --stage-data), so build it first.
# Usage: scripts/stage-data.sh [DEVICE_ROOT]
# Environment: TERRAVUE_PROGRAM, the program to ask (default build/app/terravue).
set -euo pipefail
cd "$(dirname "$0")/.."
root="${1:-${TERRAVUE_DEVICE_ROOT:-${XDG_DATA_HOME:-$HOME/.local/share}/terravue}}"
program="${TERRAVUE_PROGRAM:-build/app/terravue}"
if [ ! -x "$program" ]; then
  echo "stage-data.sh: $program is not built yet (cmake --build build --target terravue)" >&2
  exit 1
fi
exec "$program" --stage-data "$root"
