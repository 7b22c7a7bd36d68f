#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build-fuzz/, warnings as errors) and runs each
# one for SECONDS (default 30) on a fresh corpus seeded from the demo job and the shared
# captures, one target per core at a time. A crash, a leak or a sanitizer report fails the run.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-30}
build=build-fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS=-Werror -DTIDRUN_FUZZ=ON -DTIDRUN_GUI=OFF -DTIDRUN_TESTS=OFF >/dev/null
targets=()
for src in fuzz/fuzz_*.cpp; do targets+=("$(basename "$src" .cpp)"); done
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"
seeds=$(mktemp -d)
trap 'rm -rf "$seeds"' EXIT
cp examples/demo/*.DAT examples/demo/Tidrun.CFG "$seeds/"
head -c 4000 examples/demo/track.nmea >"$seeds/track.nmea"
# One target per core at a time; each keeps its own corpus and log.
run_one() {
  local t=$1 corpus
  corpus=$(mktemp -d "$seeds/$t.XXXXXX")
  "$build/fuzz/$t" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    "$corpus" "$seeds" 2>"$seeds/$t.log"
}
jobs=$(nproc)
failed=()
pids=()
names=()
finish() {  # waits for the oldest running target and reports it
  local t=${names[0]}
  if wait "${pids[0]}"; then
    echo "fuzz: $t: $(grep -E '^stat::number_of_executed_units' "$seeds/$t.log" || echo 'no stats')"
  else
    echo "fuzz: $t FAILED"
    tail -40 "$seeds/$t.log"
    failed+=("$t")
  fi
  pids=("${pids[@]:1}")
  names=("${names[@]:1}")
}
for t in "${targets[@]}"; do
  [ "${#pids[@]}" -ge "$jobs" ] && finish
  echo "fuzz: $t for $secs s"
  run_one "$t" &
  pids+=($!)
  names+=("$t")
done
while [ "${#pids[@]}" -gt 0 ]; do finish; done
[ "${#failed[@]}" -eq 0 ] || { echo "fuzz: failed: ${failed[*]}"; exit 1; }
