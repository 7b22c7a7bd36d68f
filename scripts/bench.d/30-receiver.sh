#!/usr/bin/env bash
# Receiver: ns per GGA sentence from the bytes arriving on the link to the position
# listener returning, beside decoding and conversion of the same sentences alone.
set -euo pipefail
: "${BUILD:=build-release}"
# CPU time, median of three runs: the figure is small and other processes disturb it.
out=$("$BUILD/bench/bench_receiver" --benchmark_format=csv --benchmark_min_time=1 \
  --benchmark_repetitions=3 --benchmark_report_aggregates_only=true 2>/dev/null)
cpu() { printf '%s\n' "$out" | awk -F, -v n="\"$1\"" '$1 == n { print $4 }'; }
receiver=$(cpu BM_ReceiverGga_median)
alone=$(cpu BM_DecodeConvertGga_median)
awk -v r="$receiver" -v a="$alone" 'BEGIN {
  printf "BENCH receiver_ns_per_sentence %.1f ns anchor decode_convert_ns_per_sentence %.1f ns ratio %.3f\n", r, a, a / r
  printf "BENCH receiver_overhead_ns_per_sentence %.1f ns\n", r - a
}'
