#!/usr/bin/env bash
# Installs what is needed, builds the console and starts it on a fresh copy of the demo
# job: Tidrun.INI beside the program points WORKDIR at the copy and maps COM1 to the
# demo's NMEA track and COM3 to its echo sounder, replayed as if both were attached.
# Usage: scripts/run.sh            (build folder: build/, or $BUILD)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/deps.sh
build=${BUILD:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tidrun -j "$(nproc)"
source scripts/demo-job.sh
job=$(mktemp -d "${TMPDIR:-/tmp}/tidrun-demo.XXXXXX")
prepare_demo_job "$root/$build/app" "$job"
echo "work folder: $job"
exec "$root/$build/app/tidrun"
