#!/usr/bin/env bash
# Cut pipeline: one position through the job session, the recorder (every position a cut)
# and all four cut writers (line log, depth file with a depth before each position,
# recording file, transfer text): ns with the files in memory, ms with them on the disk of
# DATA, each cut synced (median of three runs each); one receive time of the depth file
# written in local time, beside QDateTime's formatting. With the season job there, the same
# cut appended to a copy of its recording (ten million cuts) beside add_cut_ms.
set -euo pipefail
: "${BUILD:=build-release}"
: "${DATA:=bench-data}"
mkdir -p "$DATA"
out=$(TIDRUN_BENCH_DIR="$DATA" "$BUILD/bench/bench_cutpipeline" --benchmark_format=csv \
  --benchmark_filter='CutPipeline|BM_AddCut|Stamp' \
  --benchmark_repetitions=3 --benchmark_report_aggregates_only=true 2>/dev/null)
median() { printf '%s\n' "$out" | awk -F, -v n="$1" '$1 ~ n { print $3 }'; }
printf 'BENCH cut_pipeline_ns %.0f ns\n' "$(median 'BM_CutPipeline.*_median"$')"
printf 'BENCH add_cut_ms %.3f ms\n' "$(median 'BM_AddCut.*_median"$')"
stamp=$(median 'BM_LocalStamp.*_median"$')
qt=$(median 'BM_QDateTimeStamp.*_median"$')
awk -v s="$stamp" -v q="$qt" \
  'BEGIN { printf "BENCH local_stamp_ns %.1f ns anchor qdatetime_stamp_ns %.1f ns ratio %.2f\n", s, q, q / s }'
season="$DATA/season/SOKUSEN.DAT"
if [ -f "$season" ]; then
  add_ms=$(median 'BM_AddCut.*_median"$')
  copy="$DATA/season_addcut.dat"
  cp "$season" "$copy"
  out=$(TIDRUN_BENCH_SEASON="$copy" "$BUILD/bench/bench_cutpipeline" --benchmark_format=csv \
    --benchmark_filter=SeasonAddCut --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true 2>/dev/null) || true
  rm -f "$copy"
  awk -v s="$(median 'BM_SeasonAddCut.*_median"$')" -v a="$add_ms" \
    'BEGIN { printf "BENCH season_add_cut_ms %.3f ms anchor add_cut_ms %.3f ms ratio %.2f\n", s, a, a / s }'
fi
