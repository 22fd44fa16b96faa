#!/usr/bin/env bash
# Checks that the program's sources compile with Debian's emscripten (clang
# with libc++ 13: no <ranges>, no <format>), so that the browser build keeps
# working. Only the syntax is checked; the libraries' own headers come from
# the host. The SDL backend, the tests, the benchmarks, the fuzz targets and
# the builders are native only and are not checked.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v em++ >/dev/null; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends emscripten
fi
# Emscripten's tools find Debian's JavaScript packages only through NODE_PATH.
export NODE_PATH=/usr/share/nodejs
# One compiler a core; xargs exits non-zero when any source fails.
git ls-files '*.cpp' | grep -vE '^(tests|bench|fuzz|tools)/|/sdl_(backend|module)\.cpp$' |
  xargs -P "$(nproc)" -I{} sh -c '
    em++ -std=c++20 -fsyntax-only -I. -DTERRAVUE_VERSION="\"check\"" \
      -idirafter /usr/include/freetype2 -idirafter /usr/include "$1" ||
      { echo "does not compile with emscripten: $1" >&2; exit 1; }' sh {}
echo "emscripten: every program source compiles"
