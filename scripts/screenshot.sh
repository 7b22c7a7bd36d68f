#!/usr/bin/env bash
# Starts the real console under Xvfb on a fresh copy of the demo job, confirms the work
# folder and the settings as a newcomer would (Return, Return), lets the replayed track
# run for a while and saves a screenshot of the screen.
# Usage: scripts/screenshot.sh [OUT.png] [SECONDS]   (default <build>/screenshot.png, 12 s;
#        build folder build/, or $BUILD; screen size $SCREEN, default 1600x1000)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${BUILD:-build}
out=${1:-$build/screenshot.png}
wait_s=${2:-12}
bash scripts/deps.sh
for tool in xdotool import; do
  if ! command -v "$tool" >/dev/null; then
    if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
    $SUDO apt-get install -y -qq --no-install-recommends xdotool imagemagick >/dev/null
  fi
done
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tidrun -j "$(nproc)"
source scripts/demo-job.sh
job=$(mktemp -d "${TMPDIR:-/tmp}/tidrun-shot.XXXXXX")
prepare_demo_job "$root/$build/app" "$job"
mkdir -p "$(dirname "$out")"
runtime=$(mktemp -d)  # own single-instance lock, apart from a console the user runs
export TIDRUN_SHOT_OUT=$(realpath -m "$out") TIDRUN_SHOT_WAIT=$wait_s TIDRUN_PROG="$root/$build/app/tidrun"
XDG_RUNTIME_DIR=$runtime xvfb-run -a -s "-screen 0 ${SCREEN:-1600x1000}x24" bash -c '
  set -u
  "$TIDRUN_PROG" & pid=$!
  sleep 5                       # splash (2 s), then the folder chooser
  xdotool key Return; sleep 2   # keep the preset work folder
  xdotool key Return; sleep 1   # accept the settings
  sleep "$TIDRUN_SHOT_WAIT"
  import -window root "$TIDRUN_SHOT_OUT"
  kill "$pid"; wait "$pid" 2>/dev/null || true
'
rm -rf "$runtime"
echo "screenshot: $out (work folder $job)"
