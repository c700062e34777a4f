#!/bin/sh
# quorvex point against GDAL on the series of one place through a stack of
# images, in one run: each round reads the pixel under one longitude/
# latitude from every image with `quorvex point --at`, with
# `gdallocationinfo -wgs84` started once per image (as a shell loop would)
# and with GDAL's Python bindings in one process (open, transform, read
# one pixel).  Every round checks that the three give the same bytes.
# Reports every round and the medians of wall time.
# Usage: sh bench/point_vs_gdal.sh [BUILD]
#   BUILD holds cli/quorvex, brennix/brennix_make_ida and gdal/gdalplugins
#   (default build).  Environment: ROUNDS (default 5), IMAGES (default 365),
#   SIZE (pixels a side, default 1024), TMPDIR (where the stack goes).
set -eu
BENCH=point IMAGES=${IMAGES:-365} SIZE=${SIZE:-1024}
. "$(dirname "$0")/stack.sh"
command -v gdallocationinfo >/dev/null || { echo "missing gdallocationinfo (gdal-bin)" >&2; exit 1; }
"$gdal_python" - "$build/cli/quorvex" "$work" "${ROUNDS:-5}" <<'PY'
import glob, os, statistics, subprocess, sys, time

quorvex, work, rounds = sys.argv[1], sys.argv[2], int(sys.argv[3])
images = sorted(glob.glob(os.path.join(work, "day*.ida")))
count = len(images)
lon, lat = "10.3", "44.7"

def run_quorvex():
    out = subprocess.run([quorvex, "point", "--at", f"{lon},{lat}", *images],
                         check=True, capture_output=True, text=True).stdout
    return [int(line.split("\t")[5]) for line in out.splitlines()[1:]]

def run_gdallocationinfo():
    return [int(subprocess.run(["gdallocationinfo", "-valonly", "-wgs84", i, lon, lat],
                               check=True, capture_output=True, text=True).stdout)
            for i in images]

GDAL_PY = """
import sys
from osgeo import gdal, osr
gdal.UseExceptions()
wgs84 = osr.SpatialReference(); wgs84.ImportFromEPSG(4326)
wgs84.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
lon, lat = float(sys.argv[1]), float(sys.argv[2])
for name in sys.argv[3:]:
    d = gdal.Open(name)
    srs = d.GetSpatialRef(); srs.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
    x, y, _ = osr.CoordinateTransformation(wgs84, srs).TransformPoint(lon, lat)
    inv = gdal.InvGeoTransform(d.GetGeoTransform())
    col, row = int(inv[0] + inv[1] * x + inv[2] * y), int(inv[3] + inv[4] * x + inv[5] * y)
    print(d.GetRasterBand(1).ReadAsArray(col, row, 1, 1)[0][0])
"""

def run_python():
    out = subprocess.run([sys.executable, "-c", GDAL_PY, lon, lat, *images],
                         check=True, capture_output=True, text=True).stdout
    return [int(v) for v in out.split()]

programs = [("quorvex point", run_quorvex), ("gdallocationinfo", run_gdallocationinfo),
            ("python osgeo.gdal", run_python)]
times = {}
for r in range(1, rounds + 1):
    line, results = [], []
    for name, run in programs:
        start = time.perf_counter()
        results.append(run())
        seconds = time.perf_counter() - start
        times.setdefault(name, []).append(seconds)
        line.append(f"{name} {seconds:.3f}")
    if any(r != results[0] for r in results) or len(results[0]) != count:
        sys.exit("the programs disagree on the bytes")
    print(f"round {r}: " + ", ".join(line), flush=True)
print(f"{count} images of {os.path.getsize(images[0]) - 512} pixels; load average {os.getloadavg()[0]:.2f}")
print(f"{'program':20} {'median s':>9} {'per image ms':>13}")
for name, values in times.items():
    m = statistics.median(values)
    print(f"{name:20} {m:9.3f} {1000 * m / count:13.3f}")
PY
