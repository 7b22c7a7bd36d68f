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
printf '%s' "$json" | "$py" scripts/planview_figures.py "$pandas_s"
