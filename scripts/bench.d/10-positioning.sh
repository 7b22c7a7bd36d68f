#!/usr/bin/env bash
# Positioning: conversion and decoding per item (Google Benchmark, with PROJ as the anchor of
# the conversion) and tidrun-tool nmea against gpsdecode on a 750,000-sentence stream.
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD=${BUILD:-build-release}
DATA=${DATA:-bench-data}
mkdir -p "$DATA"

json="$DATA/bench_positioning.json"
"$BUILD/bench/bench_positioning" --benchmark_format=json --benchmark_out="$json" \
    --benchmark_out_format=json --benchmark_repetitions=3 >/dev/null

stream="$DATA/nmea_stream_750k.nmea"
if [ ! -s "$stream" ]; then
  python3 scripts/gen_nmea_stream.py "$stream" 750000
fi

python3 - "$json" "$stream" "$BUILD/tools/tidrun-tool" <<'PY'
import json, statistics, subprocess, sys, time

bench_json, stream, tool = sys.argv[1:4]
runs = json.load(open(bench_json))["benchmarks"]

def ns_per_item(name):
    # Median of the repetitions; every benchmark counts one item per converted point or sentence.
    values = [1e9 / b["items_per_second"] for b in runs
              if b.get("run_name") == name and b.get("run_type") == "iteration"]
    return statistics.median(values) if values else None

def line(figure, value, unit, anchor=None, anchor_value=None):
    text = "BENCH %s %.4g %s" % (figure, value, unit)
    if anchor is not None and anchor_value is not None:
        text += " anchor %s %.4g %s ratio %.2f" % (anchor, anchor_value, unit, anchor_value / value)
    print(text, flush=True)

line("convert_ns_per_point", ns_per_item("BM_Convert_0_1"), "ns",
     "proj_ns_per_point", ns_per_item("BM_Proj_0_1"))
line("convert_same_datum_ns_per_point", ns_per_item("BM_Convert_0_0"), "ns",
     "proj_same_datum_ns_per_point", ns_per_item("BM_Proj_0_0"))
line("decode_gga_ns", ns_per_item("BM_Decode_GGA"), "ns")
line("decode_ggk_ns", ns_per_item("BM_Decode_GGK"), "ns")
line("decode_rmc_ns", ns_per_item("BM_Decode_RMC"), "ns")
line("decode_dpt_ns", ns_per_item("BM_Decode_DPT"), "ns")

def best_of(cmd, stdin_path=None, repeats=3):
    best = None
    for _ in range(repeats):
        with open(stdin_path or "/dev/null", "rb") as fin, open("/dev/null", "wb") as fout:
            t0 = time.perf_counter()
            subprocess.run(cmd, stdin=fin, stdout=fout, stderr=subprocess.DEVNULL, check=True)
            elapsed = time.perf_counter() - t0
        best = elapsed if best is None else min(best, elapsed)
    return best

tool_s = best_of([tool, "nmea", stream])
gpsdecode_s = best_of(["gpsdecode"], stdin_path=stream)
line("nmea_tool_s", tool_s, "s", "gpsdecode_s", gpsdecode_s)
PY
