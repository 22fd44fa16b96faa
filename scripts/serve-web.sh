#!/usr/bin/env bash
# Serves the page that scripts/build-web.sh made, on this machine only, and
# prints its address. Usage: scripts/serve-web.sh [PORT] (default 8080)
set -euo pipefail
cd "$(dirname "$0")/.."
port="${1:-8080}"
if [ ! -f build-web/index.html ] || [ ! -f build-web/terravue.wasm ]; then
  echo "no page yet: run scripts/build-web.sh first" >&2
  exit 1
fi
echo "Terravue is at http://127.0.0.1:$port/ (options: ?scale=3&depth=24&clock=2027-03-04T21:05:00Z)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web
