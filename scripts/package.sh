#!/usr/bin/env bash
# Builds the console and makes its Debian package with CPack from the same build:
# <build>/tidrun_<version>_<arch>.deb, dependencies found by dpkg-shlibdeps. Install it with
#   sudo apt install ./build/tidrun_*.deb
# Usage: scripts/package.sh   (build folder build/, or $BUILD)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
bash scripts/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"
(cd "$build" && cpack --config CPackConfig.cmake)
ls -l "$build"/tidrun_*.deb
