#!/bin/sh
# quorvex region against GDAL's Python bindings on the series of a region
# through a stack of images, in one run: each round counts the pixels of
# every image whose centres lie in one box of longitudes and latitudes and
# takes the minimum, maximum and mean value of the valid ones, with
# `quorvex region --json` and with the bindings in one process (the window
# of the box from the geotransform, read with ReadAsArray, numpy over the
# pixels without the no-data value, scaled by the band's law).  Every round
# checks that the two agree.  Reports every round and the medians.
# Usage: sh bench/region_vs_gdal.sh [BUILD]
#   BUILD holds cli/quorvex, brennix/brennix_make_ida and gdal/gdalplugins
#   (default build).  Environment: ROUNDS (default 5), IMAGES (default 365),
#   SIZE (pixels a side, default 2048), TMPDIR (where the stack goes).
set -eu
BENCH=region IMAGES=${IMAGES:-365} SIZE=${SIZE:-2048}
. "$(dirname "$0")/stack.sh"
"$gdal_python" - "$build/cli/quorvex" "$work" "${ROUNDS:-5}" <<'PY'
import glob, json, math, os, statistics, subprocess, sys, time

quorvex, work, rounds = sys.argv[1], sys.argv[2], int(sys.argv[3])
images = sorted(glob.glob(os.path.join(work, "day*.ida")))
count = len(images)
# Edges between pixel centres (the generated images have theirs on
# multiples of an eighth of a degree), so that both find the same pixels.
box = "-40.06,0.06,40.06,79.94"

def run_quorvex():
    out = subprocess.run([quorvex, "region", "--json", "--box", box, *images],
                         check=True, capture_output=True, text=True).stdout
    return [json.loads(line) for line in out.splitlines()]

GDAL_PY = """
import json, sys
import numpy as np
from osgeo import gdal
gdal.UseExceptions()
west, south, east, north = (float(v) for v in sys.argv[1].split(","))
for name in sys.argv[2:]:
    d = gdal.Open(name)
    x0, dx, _, y0, _, dy = d.GetGeoTransform()
    columns = np.nonzero((x0 + (np.arange(d.RasterXSize) + 0.5) * dx >= west) &
                         (x0 + (np.arange(d.RasterXSize) + 0.5) * dx <= east))[0]
    rows = np.nonzero((y0 + (np.arange(d.RasterYSize) + 0.5) * dy >= south) &
                      (y0 + (np.arange(d.RasterYSize) + 0.5) * dy <= north))[0]
    band = d.GetRasterBand(1)
    pixels = band.ReadAsArray(int(columns[0]), int(rows[0]), len(columns), len(rows))
    valid = pixels[pixels != band.GetNoDataValue()] * band.GetScale() + band.GetOffset()
    print(json.dumps({"count": int(pixels.size), "valid": int(valid.size),
                      "minimum": float(valid.min()), "maximum": float(valid.max()),
                      "mean": float(valid.mean())}))
"""

def run_python():
    out = subprocess.run([sys.executable, "-c", GDAL_PY, box, *images],
                         check=True, capture_output=True, text=True).stdout
    return [json.loads(line) for line in out.splitlines()]

def agree(ours, theirs):
    return len(ours) == len(theirs) == count and all(
        o["pixels"]["count"] == t["count"] and o["pixels"]["valid"] == t["valid"] and
        all(math.isclose(o["statistics"][k], t[k], rel_tol=1e-9, abs_tol=1e-9)
            for k in ("minimum", "maximum", "mean"))
        for o, t in zip(ours, theirs))

programs = [("quorvex region", run_quorvex), ("python osgeo.gdal", run_python)]
times = {}
for r in range(1, rounds + 1):
    line, results = [], []
    for name, run in programs:
        start = time.perf_counter()
        results.append(run())
        seconds = time.perf_counter() - start
        times.setdefault(name, []).append(seconds)
        line.append(f"{name} {seconds:.3f}")
    if not agree(*results):
        sys.exit("the programs disagree on the region")
    print(f"round {r}: " + ", ".join(line), flush=True)
print(f"{count} images of {os.path.getsize(images[0]) - 512} pixels, "
      f"{results[0][0]['pixels']['count']} in the box; load average {os.getloadavg()[0]:.2f}")
print(f"{'program':20} {'median s':>9} {'per image ms':>13}")
for name, values in times.items():
    m = statistics.median(values)
    print(f"{name:20} {m:9.3f} {1000 * m / count:13.3f}")
PY
