#!/usr/bin/env bash
# Export: the one-million-cut job (the recording of 20-surveydata) written by tidrun-tool
# export to GeoPackage and to CSV, every kind, beside the tool's load of the same job in the
# same run (tidrun-tool job); median of three runs each. The export figures include the
# load, as the user waits for both.
set -euo pipefail
: "${BUILD:=build-release}"
: "${DATA:=bench-data}"
tool="$BUILD/tools/tidrun-tool"
mkdir -p "$DATA/export-job"
rec="$DATA/recording.dat"
python3 scripts/gen_recording.py "$rec"
job="$DATA/export-job"
for f in Tidrun.CFG KIJUN.DAT CHOSA.DAT SETUHYO.DAT MARK.DAT; do cp examples/demo/$f "$job/"; done
ln -sf "$(realpath "$rec")" "$job/SOKUSEN.DAT"
out="$DATA/export-out"
python3 - "$tool" "$job" "$out" <<'PY'
import os, shutil, statistics, subprocess, sys, time
tool, job, out = sys.argv[1:4]
def median_s(args):
    times = []
    for _ in range(3):
        shutil.rmtree(out, ignore_errors=True)
        os.makedirs(out)
        t = time.perf_counter()
        subprocess.run([tool] + args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        times.append(time.perf_counter() - t)
    return statistics.median(times)
load_s = median_s(["job", job])
gpkg_s = median_s(["export", job, os.path.join(out, "job.gpkg")])
csv_s = median_s(["export", job, os.path.join(out, "job.csv")])
print("BENCH export_geopackage_s %.3f s anchor recording_load_s %.3f s ratio %.2f" % (gpkg_s, load_s, gpkg_s / load_s))
print("BENCH export_csv_s %.3f s anchor recording_load_s %.3f s ratio %.2f" % (csv_s, load_s, csv_s / load_s))
PY
