#!/usr/bin/env bash
# The real console recording in 全データ at 10 Hz with four tiled map windows, under Xvfb,
# fed from a pseudo-terminal: its CPU over 60 s as a share of one core, on the one-million
# job and on the season job (each copied first: the recording grows).
set -euo pipefail
: "${BUILD:=build-release}"
: "${DATA:=bench-data}"
for job in planjob season; do
  [ -f "$DATA/$job/Tidrun.CFG" ] || { echo "50-recording-cpu: no job in $DATA/$job" >&2; continue; }
  prefix=""
  [ "$job" = season ] && prefix=season_
  python3 scripts/recording_cpu.py "$BUILD" "$DATA/$job" --seconds 60 --settle 10 --prefix "$prefix"
done
