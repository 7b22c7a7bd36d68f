#!/usr/bin/env bash
# Cut pipeline: ns for one position through the job session, the recorder (every position a
# cut) and the recording-file writer, the file in memory (median of three runs).
set -euo pipefail
: "${BUILD:=build-release}"
out=$("$BUILD/bench/bench_cutpipeline" --benchmark_format=csv --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true 2>/dev/null)
ns=$(printf '%s\n' "$out" | awk -F, '$1 ~ /BM_CutPipeline.*_median"$/ { print $3 }')
printf 'BENCH cut_pipeline_ns %.0f ns\n' "$ns"
