#!/usr/bin/env bash
# Plays the installer's part: copies the two installation text files into the
# device root's windows folder when their databases do not exist yet, so that
# Terravue builds them at its next start.
# Usage: scripts/stage-data.sh [DEVICE_ROOT]
set -euo pipefail
cd "$(dirname "$0")/.."
root="${1:-${TERRAVUE_DEVICE_ROOT:-${XDG_DATA_HOME:-$HOME/.local/share}/terravue}}"
store="$root/objectstore.sqlite3"

has_database() {
  [ -s "$store" ] || return 1
  local count
  count=$(sqlite3 -readonly "$store" \
    "SELECT count(*) FROM tv_databases WHERE name = '$1';" 2>/dev/null) || return 1
  [ "$count" = "1" ]
}

mkdir -p "$root/windows"
if ! has_database "Timezones List"; then
  cp data/QuorvelZones.txt "$root/windows/"
fi
if ! has_database "Countries List"; then
  cp data/QuorvelCountriesTerravue.txt "$root/windows/"
fi
