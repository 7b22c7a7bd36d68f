#!/usr/bin/env bash
# Makes the user guide's screenshots again from the real console under Xvfb (1024x768):
# docs/guide/images/*.png, reduced to 8-bit colour. Run after changing a screen; look at
# each picture before committing it.
# Usage: scripts/guide-shots.sh   (build folder build/, or $BUILD)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
bash scripts/deps.sh
for tool in import pngquant; do
  if ! command -v "$tool" >/dev/null; then
    if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
    $SUDO apt-get install -y -qq --no-install-recommends imagemagick pngquant >/dev/null
  fi
done
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tidrun -j "$(nproc)"
python3 scripts/guide_shots.py "$build" docs/guide/images
for f in docs/guide/images/*.png; do
  pngquant --force --skip-if-larger --strip --ext .png 256 "$f" || true
done
ls -l docs/guide/images
