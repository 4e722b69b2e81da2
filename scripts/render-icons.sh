#!/usr/bin/env bash
# Renders the committed PNG sizes and the Windows .ico from dist/icons/velunda.svg. Run it
# after changing the drawing; the build itself only copies the results, so it needs neither
# tool. Needs rsvg-convert (librsvg2-bin) and icotool (icoutils).
set -euo pipefail
icons=$(cd "$(dirname "$0")/../dist/icons" && pwd)
sizes=(16 24 32 48 64 128 256)
for s in "${sizes[@]}"; do
  rsvg-convert -w "$s" -h "$s" "$icons/velunda.svg" -o "$icons/velunda-$s.png"
done
# The 256 px image goes in as PNG, as Windows Vista and later read it; small ones as bitmaps.
icotool -c -o "$icons/velunda.ico" "$icons"/velunda-{16,24,32,48}.png -r "$icons/velunda-256.png"
