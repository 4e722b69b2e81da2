#!/usr/bin/env bash
# Sets up the machine, builds Velunda and starts it on the database next to the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" "$root/build"
exec "$root/build/bin/velunda" "$@"
