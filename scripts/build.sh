#!/usr/bin/env bash
# Configures and builds Velunda. Usage: scripts/build.sh [BUILD_DIR] [extra cmake options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true
# Clones in other folders (CI, worktrees) share ccache hits: paths are hashed relative to the tree.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" "${generator[@]}" "$@"
else
  cmake "$build" "$@" >/dev/null
fi
cmake --build "$build" -j"$(nproc)"
