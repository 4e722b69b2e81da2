#!/usr/bin/env bash
# Sets up the machine, builds Velunda and runs every test.
# With --sanitize the build and the tests run under AddressSanitizer and UBSan.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
if [ "${1:-}" = "--sanitize" ]; then
  build=$root/build-sanitize
  bash "$root/scripts/build.sh" "$build" -DVELUNDA_SANITIZE=ON -DVELUNDA_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  build=$root/build
  bash "$root/scripts/build.sh" "$build"
fi
cd "$build"
ctest --output-on-failure -j"$(nproc)"
