#!/usr/bin/env bash
# Makes the README gallery: a PNG of every screen, through the headless
# backend, at a fixed clock in UTC, on a fresh device root that first starts
# with the installation files staged (as scripts/stage-data.sh does). Builds
# nothing: give it the two programs.
# Usage: docs/gallery.sh [OUT_DIR [TERRAVUE [TERRAVUE_UNINSTALL]]]
#   defaults: docs/gallery, build/app/terravue, build/uninstall/terravue-uninstall
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir="$(pwd)"
out="$(realpath -m "${1:-docs/gallery}")"
terravue="$(realpath -m "${2:-build/app/terravue}")"
uninstall="$(realpath -m "${3:-build/uninstall/terravue-uninstall}")"
clock=2027-06-21T12:00:00Z

for program in "$terravue" "$uninstall"; do
  if [ ! -x "$program" ]; then
    echo "gallery: no program at $program (build it first)" >&2
    exit 1
  fi
done

root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
TERRAVUE_PROGRAM="$terravue" scripts/stage-data.sh "$root"
mkdir -p "$out"
cd "$out"
export TZ=UTC LC_ALL=C.UTF-8
"$terravue" --device-root "$root" --clock "$clock" --headless \
    --script "$source_dir/docs/gallery-scripts/terravue.script"
"$uninstall" --device-root "$root" --clock "$clock" --headless \
    --script "$source_dir/docs/gallery-scripts/uninstall.script"
