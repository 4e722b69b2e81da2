#!/usr/bin/env bash
# Installs the Debian packages Velunda needs to build, test and run; does nothing for
# packages already present, so it is safe to run before every build.
set -euo pipefail

# One package a line, so that additions merge cleanly.
packages=(
  build-essential
  cmake
  ninja-build
  pkg-config
  clang-format
  qt6-base-dev
  qt6-svg-dev
  qt6-translations-l10n
  libgl-dev
  libsqlite3-dev
  sqlite3
  libxlsxwriter-dev
  fonts-liberation2
  xvfb
  xauth
  poppler-utils
  unzip
  ccache
  dpkg-dev
  file
  desktop-file-utils
  appstream
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
