#!/usr/bin/env bash
# Renders the program's icon (resources/icons/tidrun.svg) to the PNG sizes the program and a
# desktop's icon theme use: resources/icons/tidrun-<N>.png. Run after changing the SVG.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v rsvg-convert >/dev/null; then
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get install -y -qq --no-install-recommends librsvg2-bin >/dev/null
fi
for n in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$n" -h "$n" resources/icons/tidrun.svg -o "resources/icons/tidrun-$n.png"
done
