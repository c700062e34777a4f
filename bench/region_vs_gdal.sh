#!/bin/sh
# quorvex region against GDAL's Python bindings on the series of a region
# through a stack of images, in one run: each round counts the pixels of
# every image whose centres lie in one box of longitudes and latitudes and
# takes the minimum, maximum, mean, median and standard deviation of the
# values of the valid ones, with `quorvex region --json` and with the
# bindings in one process (the window of the box from the geotransform,
# read with ReadAsArray, numpy over the pixels without the no-data value,
# scaled by the band's law).  With AREAS=N, the same for each of N
# districts of a GeoJSON file tiling the box (quadrilaterals with jittered
# corners), with `quorvex region --areas` and with the bindings (the
# districts burnt into a grid of labels once with gdal.RasterizeLayer, then
# numpy over each district's pixels of each image).  Every round checks that the two agree.  Reports every round and
# the medians.
# Usage: sh bench/region_vs_gdal.sh [BUILD]
#   BUILD holds cli/quorvex, brennix/brennix_make_ida and gdal/gdalplugins
#   (default build).  Environment: ROUNDS (default 5), IMAGES (default 365),
#   SIZE (pixels a side, default 2048), AREAS (default 0: the box),
#   TMPDIR (where the stack goes).
set -eu
BENCH=region IMAGES=${IMAGES:-365} SIZE=${SIZE:-2048}
. "$(dirname "$0")/stack.sh"
"$gdal_python" - "$build/cli/quorvex" "$work" "${ROUNDS:-5}" "${AREAS:-0}" <<'PY'
import glob, json, math, os, random, statistics, subprocess, sys, time

quorvex, work, rounds, areas = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
images = sorted(glob.glob(os.path.join(work, "day*.ida")))
count = len(images)
# Edges between pixel centres (the generated images have theirs on
# multiples of an eighth of a degree), so that both find the same pixels.
box = "-40.06,0.06,40.06,79.94"

where = ["--box", box]
if areas:
    # A side x side tiling of the box; corners inside it moved by up to a
    # third of a tile, shared by the tiles that meet there.
    side = max(1, round(math.sqrt(areas)))
    west, south, east, north = (float(v) for v in box.split(","))
    random.seed(1)
    def corner(i, j):
        x, y = west + (east - west) * i / side, south + (north - south) * j / side
        jitter = lambda: random.uniform(-1, 1) * (east - west) / side / 3
        return [x + (jitter() if 0 < i < side else 0), y + (jitter() if 0 < j < side else 0)]
    corners = [[corner(i, j) for j in range(side + 1)] for i in range(side + 1)]
    features = [{"type": "Feature", "properties": {"name": f"d{i}-{j}", "index": i * side + j + 1},
                 "geometry": {"type": "Polygon", "coordinates": [[
                     corners[i][j], corners[i + 1][j], corners[i + 1][j + 1], corners[i][j + 1],
                     corners[i][j]]]}}
                for i in range(side) for j in range(side)]
    areas_file = os.path.join(work, "districts.geojson")
    with open(areas_file, "w") as f:
        json.dump({"type": "FeatureCollection", "features": features}, f)
    where = ["--areas", areas_file]

def run_quorvex():
    out = subprocess.run([quorvex, "region", "--json", *where, *images],
                         check=True, capture_output=True, text=True).stdout
    return [json.loads(line) for line in out.splitlines()]

GDAL_PY = """
import json, sys
import numpy as np
from osgeo import gdal
gdal.UseExceptions()
def report(pixels, band):
    valid = pixels[pixels != band.GetNoDataValue()] * band.GetScale() + band.GetOffset()
    print(json.dumps({"count": int(pixels.size), "valid": int(valid.size)} | (
        {"minimum": float(valid.min()), "maximum": float(valid.max()),
         "mean": float(valid.mean()), "median": float(np.median(valid)),
         "stddev": float(valid.std())} if valid.size else {})))
if sys.argv[1] == "--areas":
    first = gdal.Open(sys.argv[3])
    labels = gdal.GetDriverByName("MEM").Create("", first.RasterXSize, first.RasterYSize, 1,
                                                gdal.GDT_UInt16)
    labels.SetGeoTransform(first.GetGeoTransform())
    labels.SetProjection(first.GetProjection())
    districts = gdal.OpenEx(sys.argv[2])
    gdal.RasterizeLayer(labels, [1], districts.GetLayer(), options=["ATTRIBUTE=index"])
    flat = labels.ReadAsArray().ravel()
    order = np.argsort(flat, kind="stable")
    ends = np.searchsorted(flat[order], np.arange(districts.GetLayer().GetFeatureCount() + 2))
    for name in sys.argv[3:]:
        image = gdal.Open(name)  # the band lives as long as its dataset
        band = image.GetRasterBand(1)
        pixels = band.ReadAsArray().ravel()
        for k in range(1, len(ends) - 1):
            report(pixels[order[ends[k]:ends[k + 1]]], band)
    sys.exit()
west, south, east, north = (float(v) for v in sys.argv[2].split(","))
for name in sys.argv[3:]:
    d = gdal.Open(name)
    x0, dx, _, y0, _, dy = d.GetGeoTransform()
    columns = np.nonzero((x0 + (np.arange(d.RasterXSize) + 0.5) * dx >= west) &
                         (x0 + (np.arange(d.RasterXSize) + 0.5) * dx <= east))[0]
    rows = np.nonzero((y0 + (np.arange(d.RasterYSize) + 0.5) * dy >= south) &
                      (y0 + (np.arange(d.RasterYSize) + 0.5) * dy <= north))[0]
    band = d.GetRasterBand(1)
    report(band.ReadAsArray(int(columns[0]), int(rows[0]), len(columns), len(rows)), band)
"""

def run_python():
    out = subprocess.run([sys.executable, "-c", GDAL_PY, *where, *images],
                         check=True, capture_output=True, text=True).stdout
    return [json.loads(line) for line in out.splitlines()]

def agree(ours, theirs):
    return len(ours) == len(theirs) == count * (len(features) if areas else 1) and all(
        o["pixels"]["count"] == t["count"] and o["pixels"]["valid"] == t["valid"] and
        (o["statistics"] is None and "mean" not in t or
         all(math.isclose(o["statistics"][k], t[k], rel_tol=1e-9, abs_tol=1e-9)
             for k in ("minimum", "maximum", "mean", "median", "stddev")))
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
inside = sum(r["pixels"]["count"] for r in results[0][:len(results[0]) // count])
print(f"{count} images of {os.path.getsize(images[0]) - 512} pixels, {inside} in the "
      f"{f'{len(features)} districts' if areas else 'box'}; load average {os.getloadavg()[0]:.2f}")
print(f"{'program':20} {'median s':>9} {'per image ms':>13}")
for name, values in times.items():
    m = statistics.median(values)
    print(f"{name:20} {m:9.3f} {1000 * m / count:13.3f}")
PY
