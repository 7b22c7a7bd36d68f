#!/usr/bin/env bash
# The season job for the benchmarks: 10,000,000 cuts in 10,000 lines (about 2 GB of
# code page 932 text) with its survey area, marks, points and Tidrun.CFG, generated once into
# $DATA/season/ and kept while complete.
set -euo pipefail
: "${BUILD:=build-release}"
: "${DATA:=bench-data}"
mkdir -p "$DATA/season"
"$BUILD/tools/gen_season" "$DATA/season/SOKUSEN.DAT"
