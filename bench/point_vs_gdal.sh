#!/bin/sh
# quorvex point against GDAL on the series of one place through a stack of
# images, in one run: each round reads the pixel under one longitude/
# latitude from every image with `quorvex point --at`, with
# `gdallocationinfo -wgs84` started once per image (as a shell loop would)
# and with GDAL's Python bindings in one process (open, transform, read
# one pixel).  With PLACES above 1, the series of that many places (spread
# over the images' middle) from a places file with `quorvex point
# --places`, with gdallocationinfo reading them from its standard input,
# and with the bindings transforming them each.  Every round checks that
# the three give the same bytes.  Reports every round and the medians of
# wall time.
# Usage: sh bench/point_vs_gdal.sh [BUILD]
#   BUILD holds cli/quorvex, brennix/brennix_make_ida and gdal/gdalplugins
#   (default build).  Environment: ROUNDS (default 5), IMAGES (default 365),
#   SIZE (pixels a side, default 1024), PLACES (default 1), TMPDIR (where
#   the stack goes).
set -eu
BENCH=point IMAGES=${IMAGES:-365} SIZE=${SIZE:-1024}
. "$(dirname "$0")/stack.sh"
command -v gdallocationinfo >/dev/null || { echo "missing gdallocationinfo (gdal-bin)" >&2; exit 1; }
"$gdal_python" - "$build/cli/quorvex" "$work" "${ROUNDS:-5}" "${PLACES:-1}" <<'PY'
import glob, os, statistics, subprocess, sys, time

quorvex, work, rounds, place_count = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
images = sorted(glob.glob(os.path.join(work, "day*.ida")))
count = len(images)
# One place, or a grid of them over a degree around it.
side = max(1, round(place_count ** 0.5))
places = [(f"{10.3 + (k % side - side / 2) / side:.4f}", f"{44.7 + (k // side - side / 2) / side:.4f}")
          for k in range(place_count)] if place_count > 1 else [("10.3", "44.7")]
places_file = os.path.join(work, "places.csv")
with open(places_file, "w") as f:
    f.writelines(f"{lon},{lat}\n" for lon, lat in places)
lon, lat = places[0]

def run_quorvex():
    where = ["--places", places_file] if place_count > 1 else ["--at", f"{lon},{lat}"]
    out = subprocess.run([quorvex, "point", *where, *images],
                         check=True, capture_output=True, text=True).stdout
    field = 6 if place_count > 1 else 5
    return [int(line.split("\t")[field]) for line in out.splitlines()[1:]]

def run_gdallocationinfo():
    if place_count == 1:
        return [int(subprocess.run(["gdallocationinfo", "-valonly", "-wgs84", i, lon, lat],
                                   check=True, capture_output=True, text=True).stdout)
                for i in images]
    given = "".join(f"{lon} {lat}\n" for lon, lat in places)
    return [int(v) for i in images
            for v in subprocess.run(["gdallocationinfo", "-valonly", "-wgs84", i], input=given,
                                    check=True, capture_output=True, text=True).stdout.split()]

GDAL_PY = """
import sys
from osgeo import gdal, osr
gdal.UseExceptions()
wgs84 = osr.SpatialReference(); wgs84.ImportFromEPSG(4326)
wgs84.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
places = [[float(v) for v in line.split(",")] for line in open(sys.argv[1])]
for name in sys.argv[2:]:
    d = gdal.Open(name)
    srs = d.GetSpatialRef(); srs.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
    to_image = osr.CoordinateTransformation(wgs84, srs)
    inv = gdal.InvGeoTransform(d.GetGeoTransform())
    band = d.GetRasterBand(1)
    for lon, lat in places:
        x, y, _ = to_image.TransformPoint(lon, lat)
        col, row = int(inv[0] + inv[1] * x + inv[2] * y), int(inv[3] + inv[4] * x + inv[5] * y)
        print(band.ReadAsArray(col, row, 1, 1)[0][0])
"""

def run_python():
    out = subprocess.run([sys.executable, "-c", GDAL_PY, places_file, *images],
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
    if any(r != results[0] for r in results) or len(results[0]) != count * len(places):
        sys.exit("the programs disagree on the bytes")
    print(f"round {r}: " + ", ".join(line), flush=True)
print(f"{count} images of {os.path.getsize(images[0]) - 512} pixels, {len(places)} places each; "
      f"load average {os.getloadavg()[0]:.2f}")
print(f"{'program':20} {'median s':>9} {'per image ms':>13}")
for name, values in times.items():
    m = statistics.median(values)
    print(f"{name:20} {m:9.3f} {1000 * m / count:13.3f}")
PY
