#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Terravue
# need. Uses sudo when not run as root.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
packages=(
  build-essential cmake pkg-config
  libsdl2-dev libfreetype-dev libfontconfig-dev libpng-dev libgif-dev libsqlite3-dev
  fonts-dejavu-core fonts-liberation2 fonts-wine
  libgtest-dev libbenchmark-dev nlohmann-json3-dev librsvg2-dev libimagequant-dev libxml2-dev
  libgeographiclib-dev
  xvfb xauth tzdata sqlite3 python3 xz-utils
  dpkg-dev desktop-file-utils
  lintian devscripts help2man man-db appstream
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
