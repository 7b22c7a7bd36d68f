#!/usr/bin/env bash
# Plan view: the generated job (1,000,000 cuts in 1,000 lines, 10,000 area vertices in 10
# regions, 10,000 marks, 1,000 reference and 1,000 buoy points) painted at 1920 x 1080
# offscreen, each paint cold, beside a plain QPainter pass in the same run; a boat move with
# four windows; memory per cut; opening the job to the first painted map beside
# pandas.read_csv of its recording file.
set -euo pipefail
: "${BUILD:=build-release}"
: "${DATA:=bench-data}"
mkdir -p "$DATA/planjob"
job="$DATA/planjob"
# The recording of the survey-data part is the same file: share it when it is there.
if [ -f "$DATA/recording.dat" ] && [ -f "$DATA/recording.dat.count" ] && [ ! -f "$job/SOKUSEN.DAT" ]; then
  ln "$DATA/recording.dat" "$job/SOKUSEN.DAT" 2>/dev/null || cp "$DATA/recording.dat" "$job/SOKUSEN.DAT"
  cp "$DATA/recording.dat.count" "$job/SOKUSEN.DAT.count"
fi
python3 scripts/gen_plan_job.py "$job"
py=python3
if /usr/bin/python3 -c 'import pandas' 2>/dev/null; then py=/usr/bin/python3; fi
pandas_s=$("$py" scripts/pandas_median.py "$job/SOKUSEN.DAT")
json=$(TIDRUN_PLAN_JOB="$job" QT_QPA_PLATFORM=offscreen "$BUILD/bench/bench_planview" \
  --benchmark_format=json 2>/dev/null)
printf '%s' "$json" | "$py" -c '
import json, sys
pandas_s = float(sys.argv[1])
runs = {b["run_name"]: b for b in json.load(sys.stdin)["benchmarks"] if b.get("run_type") == "iteration"}
def get(prefix, key="real_time"):
    for name, b in runs.items():
        if name.startswith(prefix):
            return b[key]
    raise KeyError(prefix)
full = get("BM_ChartFull/"); sym = get("BM_ChartFullSymbols/"); tenth = get("BM_ChartTenth/")
naive = get("BM_NaivePolyline/"); naive_sym = get("BM_NaiveSymbols/")
boat = get("BM_BoatUpdate/", "cpu_time") / 4
per_cut = get("BM_Memory/", "bytes_per_cut")
open_s = get("BM_OpenToMap/")
print("BENCH chart_full_ms %.3f ms anchor naive_polyline_ms %.3f ms ratio %.2f" % (full, naive, naive / full))
print("BENCH chart_full_symbols_ms %.3f ms anchor naive_symbols_ms %.3f ms ratio %.2f" % (sym, naive_sym, naive_sym / sym))
print("BENCH chart_tenth_ms %.3f ms" % tenth)
print("BENCH boat_update_ms %.4f ms" % boat)
print("BENCH chart_memory_bytes_per_cut %.2f B" % per_cut)
print("BENCH open_to_map_s %.4f s anchor pandas_read_csv_s %.4f s ratio %.2f" % (open_s, pandas_s, pandas_s / open_s))
' "$pandas_s"
