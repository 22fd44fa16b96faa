#!/usr/bin/env bash
# Makes the Day/Night Plot screenshots in the README: a June and a December
# solstice noon and an equinox midnight (UTC), at 16 and at 24 bits.
# Usage: docs/day-night-screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
TERRAVUE_PROGRAM="$build/app/terravue" scripts/stage-data.sh "$root"
shot() {  # NAME CLOCK DEPTH
  printf 'open day-night\nscreenshot docs/%s\n' "$1" |
    "$build/app/terravue" --device-root "$root" --clock "$2" --display-depth "$3" \
      --headless --script -
}
for depth in 16 24; do
  shot "day-night-june-noon-$depth.png" 2027-06-21T12:00:00Z "$depth"
  shot "day-night-december-noon-$depth.png" 2027-12-21T12:00:00Z "$depth"
  shot "day-night-equinox-midnight-$depth.png" 2027-03-20T00:00:00Z "$depth"
done
