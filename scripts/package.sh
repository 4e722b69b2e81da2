#!/usr/bin/env bash
# Builds the Debian package of Velunda in Release mode, in its own build folder (reused when it
# is there already; tests and benchmarks are not built), and prints the .deb's path last.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-release}
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DVELUNDA_TESTS=OFF \
  -DVELUNDA_BENCH=OFF
(cd "$build" && cpack -G DEB >&2)
deb=$(ls -t "$build"/velunda_*.deb | head -n 1)
echo "$deb"
