#!/usr/bin/env bash
# Survey data: load time of a recording file of 1,000,000 cuts in 1,000 lines beside
# pandas.read_csv on the same file (median of three runs each), memory per loaded cut,
# and one cut written and synced to disk by the recording file alone.
set -euo pipefail
: "${BUILD:=build-release}"
: "${DATA:=bench-data}"
mkdir -p "$DATA"
rec="$DATA/recording.dat"
python3 scripts/gen_recording.py "$rec"
# pandas comes from the Debian package; prefer the system interpreter that has it.
py=python3
if /usr/bin/python3 -c 'import pandas' 2>/dev/null; then py=/usr/bin/python3; fi
pandas_s=$("$py" scripts/pandas_median.py "$rec" 1000000)
json=$(TIDRUN_RECORDING="$rec" TIDRUN_BENCH_DIR="$DATA" "$BUILD/bench/bench_surveydata" \
  --benchmark_repetitions=3 --benchmark_format=json 2>/dev/null)
printf '%s' "$json" | "$py" -c '
import json, statistics, sys
pandas_s = float(sys.argv[1])
runs = [b for b in json.load(sys.stdin)["benchmarks"] if b.get("run_type") == "iteration"]
def median(name, key):
    return statistics.median(b[key] for b in runs if b["run_name"] == name)
load_s = median("BM_RecordingLoad/iterations:1/real_time", "real_time")
per_cut = median("BM_RecordingLoad/iterations:1/real_time", "rss_bytes_per_cut")
add_ms = median("BM_AddCut/min_time:2.000/real_time", "real_time")
print("BENCH recording_load_s %.4f s anchor pandas_read_csv_s %.4f s ratio %.2f" % (load_s, pandas_s, pandas_s / load_s))
print("BENCH recording_bytes_per_cut %.1f B" % per_cut)
print("BENCH add_cut_recording_file_ms %.3f ms" % add_ms)
' "$pandas_s"
