#!/usr/bin/env bash
# Export: the one-million-cut job (the recording of 20-surveydata) written by tidrun-tool
# export to GeoPackage and to CSV, every kind, beside the tool's load of the same job in the
# same run (tidrun-tool job); median of three runs each. The export figures include the
# load, as the user waits for both. Beside them, GDAL's own floor (bench_export): a million
# points with the cut layer's fields written straight through OGR, nothing of ours in the
# loop, against the same load; the export can be no faster than the driver. The floor without
# the GeoPackage's spatial index shows what the index alone costs (the export keeps it).
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
floor_json=$(TIDRUN_BENCH_DIR="$DATA" "$BUILD/bench/bench_export" --benchmark_repetitions=3 \
  --benchmark_format=json 2>/dev/null)
python3 - "$tool" "$job" "$out" "$floor_json" <<'PY'
import json, os, shutil, statistics, subprocess, sys, time
tool, job, out, floor_json = sys.argv[1:5]
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
runs = [b for b in json.loads(floor_json)["benchmarks"] if b.get("run_type") == "iteration"]
for name, figure in (("BM_OgrFloorGeoPackage", "ogr_floor_geopackage_s"),
                     ("BM_OgrFloorGeoPackageNoIndex", "ogr_floor_geopackage_no_index_s"),
                     ("BM_OgrFloorCsv", "ogr_floor_csv_s")):
    floor_s = statistics.median(b["real_time"] for b in runs if b["run_name"].startswith(name + "/"))
    print("BENCH %s %.3f s anchor recording_load_s %.3f s ratio %.2f" % (figure, floor_s, load_s, floor_s / load_s))
PY
