#!/usr/bin/env bash
# Plan view over the season job of 15-season-data.sh (10,000,000 cuts, 100,000 area
# vertices, 10,000 marks, 10,000 points): the same paints, boat move and open as for the
# one-million job, one survey area filling the window, an empty view, and the resident
# memory the open job adds per cut, each beside its anchor in the same run.
set -euo pipefail
: "${BUILD:=build-release}"
: "${DATA:=bench-data}"
job="$DATA/season"
[ -f "$job/Tidrun.CFG" ] || { echo "45-season-planview: no season job in $job" >&2; exit 1; }
py=python3
if /usr/bin/python3 -c 'import pandas' 2>/dev/null; then py=/usr/bin/python3; fi
pandas_s=$("$py" scripts/pandas_median.py "$job/SOKUSEN.DAT")
json=$(TIDRUN_PLAN_JOB="$job" QT_QPA_PLATFORM=offscreen "$BUILD/bench/bench_planview" \
  --benchmark_filter='ChartFull|ChartArea|ChartEmpty|Naive|BoatUpdate|OpenToMap' \
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
full = get("BM_ChartFull/"); sym = get("BM_ChartFullSymbols/")
naive = get("BM_NaivePolyline/"); naive_sym = get("BM_NaiveSymbols/")
area = get("BM_ChartArea/"); empty = get("BM_ChartEmpty/")
boat = get("BM_BoatUpdate/", "cpu_time") / 4
open_s = get("BM_OpenToMap/"); per_cut = get("BM_OpenToMap/", "rss_bytes_per_cut")
print("BENCH season_chart_full_ms %.3f ms anchor naive_polyline_ms %.3f ms ratio %.2f" % (full, naive, naive / full))
print("BENCH season_chart_full_symbols_ms %.3f ms anchor naive_symbols_ms %.3f ms ratio %.2f" % (sym, naive_sym, naive_sym / sym))
print("BENCH season_chart_area_ms %.3f ms anchor season_chart_full_symbols_ms %.3f ms ratio %.2f" % (area, sym, sym / area))
print("BENCH season_chart_empty_ms %.3f ms" % empty)
print("BENCH season_boat_update_ms %.4f ms" % boat)
print("BENCH season_bytes_per_cut %.1f B" % per_cut)
print("BENCH season_open_to_map_s %.4f s anchor pandas_read_csv_s %.4f s ratio %.2f" % (open_s, pandas_s, pandas_s / open_s))
' "$pandas_s"
