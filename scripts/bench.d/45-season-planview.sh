#!/usr/bin/env bash
# Plan view over the season job of 15-season-data.sh (10,000,000 cuts, 100,000 area
# vertices, 10,000 marks, 10,000 points): the same paints, boat move and open as for the
# one-million job, one survey area filling the window, an empty view, a mark added, and the
# resident memory the open job adds per cut, each beside its anchor in the same run.
set -euo pipefail
: "${BUILD:=build-release}"
: "${DATA:=bench-data}"
job="$DATA/season"
[ -f "$job/Tidrun.CFG" ] || { echo "45-season-planview: no season job in $job" >&2; exit 1; }
py=python3
if /usr/bin/python3 -c 'import pandas' 2>/dev/null; then py=/usr/bin/python3; fi
pandas_s=$("$py" scripts/pandas_median.py "$job/SOKUSEN.DAT")
json=$(TIDRUN_PLAN_JOB="$job" QT_QPA_PLATFORM=offscreen "$BUILD/bench/bench_planview" \
  --benchmark_filter='ChartFull|ChartArea|ChartEmpty|Naive|BoatUpdate|CutAdded|MarkEdit|OpenToMap' \
  --benchmark_format=json 2>/dev/null)
printf '%s' "$json" | "$py" scripts/planview_figures.py "$pandas_s" season_
