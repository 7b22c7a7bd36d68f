#!/usr/bin/env bash
# Opening the one-million plan job with its depth companion (a row for every cut), beside
# the same open without it in the same run: the job's files, the cut store with the depths
# joined, the check at open, the first painted map (median of three opens each).
set -euo pipefail
: "${BUILD:=build-release}"
: "${DATA:=bench-data}"
plain="$DATA/planjob"
depth="$DATA/planjob-depth"
mkdir -p "$plain" "$depth"
python3 scripts/gen_plan_job.py "$plain"
# The same recording file in both folders.
if [ ! "$depth/SOKUSEN.DAT" -ef "$plain/SOKUSEN.DAT" ]; then
  rm -f "$depth/SOKUSEN.DAT" "$depth/SOKUSEN.DAT.count" "$depth/SOKUSEN_水深.csv.count"
  ln "$plain/SOKUSEN.DAT" "$depth/SOKUSEN.DAT" 2>/dev/null || cp "$plain/SOKUSEN.DAT" "$depth/SOKUSEN.DAT"
  cp "$plain/SOKUSEN.DAT.count" "$depth/SOKUSEN.DAT.count"
fi
python3 scripts/gen_plan_job.py "$depth" --depth
out=$(TIDRUN_PLAN_JOB="$plain" TIDRUN_PLAN_JOB_DEPTH="$depth" QT_QPA_PLATFORM=offscreen \
  "$BUILD/bench/bench_jobopen" --benchmark_format=csv --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true 2>/dev/null)
median() { printf '%s\n' "$out" | awk -F, -v n="$1" '$1 ~ n { print $3 }'; }
without=$(median 'BM_OpenJob/0/.*_median"$')
with=$(median 'BM_OpenJob/1/.*_median"$')
awk -v w="$with" -v o="$without" \
  'BEGIN { printf "BENCH open_to_map_depth_s %.4f s anchor open_to_map_s %.4f s ratio %.2f\n", w, o, o / w }'
