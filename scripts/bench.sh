#!/usr/bin/env bash
# Builds in Release, prepares the benchmark data and prints one BENCH line per figure:
#   BENCH <figure> <value> <unit> [anchor <anchor-figure> <anchor-value> <unit> ratio <r>]
# Each part lives in scripts/bench.d/*.sh and is run in name order with BUILD and DATA set.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --bench
export BUILD=${BUILD:-build-release}
export DATA=${DATA:-bench-data}
mkdir -p "$DATA"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTIDRUN_BENCH=ON -DTIDRUN_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j "$(nproc)" >/dev/null
for part in scripts/bench.d/*.sh; do
  [ -e "$part" ] || continue
  bash "$part"
done
