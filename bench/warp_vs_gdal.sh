#!/bin/sh
# quorvex warp against gdalwarp, in one run: each round puts one image of
# longitude/latitude pixels (64 x 64 degrees around 45 N, 10 E) on a
# Lambert azimuthal grid of 6000 x 6000 km with quorvex warp, with gdalwarp
# as it runs by default (positions interpolated between exact ones, to an
# eighth of a pixel) and with gdalwarp -et 0 (every position exact), all
# nearest neighbour.  The first round checks that quorvex warp gives the
# bytes of gdalwarp -et 0 and counts the pixels where gdalwarp's default
# differs.  Each round also puts the image on a grid of an eighth as many
# pixels a side with quorvex warp --mean and gdalwarp -r average (which
# weighs each source pixel by the part of it inside the pixel, so the two
# differ a little by design: the first round reports by how much), the same
# with quorvex warp --median and gdalwarp -r med, and puts three
# overlapping scans of the image (strips of half its width, each
# coded with its own bytes) on the grid as one image with quorvex warp and
# with gdalwarp -et 0 given them in the reverse order (gdalwarp lets a later
# source's valid pixel replace an earlier one's, quorvex warp keeps the
# first valid one), checked byte for byte in the first round, and with
# gdalwarp by default.
# Reports every round and the medians.
# Usage: sh bench/warp_vs_gdal.sh [BUILD]
#   BUILD holds cli/quorvex, brennix/brennix_make_ida and gdal/gdalplugins
#   (default build).  Environment: ROUNDS (default 5), SIZE (pixels a side
#   of both images, default 4096), TMPDIR (where the images go).
set -eu
BENCH=warp IMAGES=1 SIZE=${SIZE:-4096}
. "$(dirname "$0")/stack.sh"
gdalwarp=$(command -v gdalwarp) || { echo "missing gdalwarp (gdal-bin)" >&2; exit 1; }
"$gdal_python" - "$build/cli/quorvex" "$work" "${ROUNDS:-5}" "$gdalwarp" "$SIZE" <<'PY'
import os, statistics, subprocess, sys, time
import numpy as np
from osgeo import gdal, osr

quorvex, work, rounds, gdalwarp, size = sys.argv[1:4] + [sys.argv[4], int(sys.argv[5])]
rounds = int(rounds)
gdal.UseExceptions()

def write_ida(path, proj4, transform, pixels):
    srs = osr.SpatialReference()
    srs.ImportFromProj4(proj4)
    image = gdal.GetDriverByName("MEM").Create("", pixels.shape[1], pixels.shape[0], 1,
                                               gdal.GDT_Byte)
    image.SetProjection(srs.ExportToWkt())
    image.SetGeoTransform(transform)
    band = image.GetRasterBand(1)
    band.WriteArray(pixels)
    band.SetNoDataValue(255)
    gdal.GetDriverByName("IDA").CreateCopy(path, image)

generated = np.frombuffer(open(f"{work}/day000.ida", "rb").read()[512:], np.uint8)
source, grid = f"{work}/source.ida", f"{work}/grid.ida"
write_ida(source, "+proj=longlat +datum=WGS84", (-22, 64 / size, 0, 77, 0, -64 / size),
          generated.reshape(size, size))
laea = "+proj=laea +lat_0=45 +lon_0=10 +R=6370997 +units=m"
write_ida(grid, laea, (-3e6, 6e6 / size, 0, 3e6, 0, -6e6 / size), np.zeros((size, size), np.uint8))
coarse, coarse_size = f"{work}/coarse.ida", size // 8
write_ida(coarse, laea, (-3e6, 6e6 / coarse_size, 0, 3e6, 0, -6e6 / coarse_size),
          np.zeros((coarse_size, coarse_size), np.uint8))

# Three scans: columns 0, a quarter and a half of the way across, half as
# wide, each with its valid bytes turned by its number.
scans = []
for k, start in enumerate((0, size // 4, size // 2)):
    strip = generated.reshape(size, size)[:, start:start + size // 2]
    strip = np.where(strip < 250, (strip.astype(int) + 37 * k) % 250, strip).astype(np.uint8)
    scans.append(f"{work}/scan{k}.ida")
    write_ida(scans[-1], "+proj=longlat +datum=WGS84",
              (-22 + start * 64 / size, 64 / size, 0, 77, 0, -64 / size), strip)

def gdalwarp_command(out, *options, resampling="near", side=size, sources=(source,)):
    return [gdalwarp, "-q", "-overwrite", "-r", resampling, *options, "-t_srs", laea,
            "-te", "-3e6", "-3e6", "3e6", "3e6", "-ts", str(side), str(side),
            "-srcnodata", "255", "-dstnodata", "255", *sources, out]

outputs = {"quorvex warp": f"{work}/warped.ida", "gdalwarp": f"{work}/default.tif",
           "gdalwarp -et 0": f"{work}/exact.tif", "quorvex warp --mean": f"{work}/mean.ida",
           "gdalwarp -r average": f"{work}/average.tif",
           "quorvex warp --median": f"{work}/median.ida", "gdalwarp -r med": f"{work}/med.tif",
           "quorvex warp 3 scans": f"{work}/scans.ida",
           "gdalwarp 3 scans": f"{work}/scans_default.tif",
           "gdalwarp -et 0 3 scans": f"{work}/scans.tif"}
commands = {
    "quorvex warp": [quorvex, "warp", source, "--grid", grid, "-o", outputs["quorvex warp"]],
    "gdalwarp": gdalwarp_command(outputs["gdalwarp"]),
    "gdalwarp -et 0": gdalwarp_command(outputs["gdalwarp -et 0"], "-et", "0"),
    "quorvex warp --mean": [quorvex, "warp", "--mean", source, "--grid", coarse,
                            "-o", outputs["quorvex warp --mean"]],
    "gdalwarp -r average": gdalwarp_command(outputs["gdalwarp -r average"],
                                            resampling="average", side=coarse_size),
    "quorvex warp --median": [quorvex, "warp", "--median", source, "--grid", coarse,
                              "-o", outputs["quorvex warp --median"]],
    "gdalwarp -r med": gdalwarp_command(outputs["gdalwarp -r med"], resampling="med",
                                        side=coarse_size),
    "quorvex warp 3 scans": [quorvex, "warp", *scans, "--grid", grid,
                             "-o", outputs["quorvex warp 3 scans"]],
    "gdalwarp 3 scans": gdalwarp_command(outputs["gdalwarp 3 scans"], sources=scans[::-1]),
    "gdalwarp -et 0 3 scans": gdalwarp_command(outputs["gdalwarp -et 0 3 scans"], "-et", "0",
                                               sources=scans[::-1]),
}
times = {}
for r in range(1, rounds + 1):
    line = []
    for name, command in commands.items():
        start = time.perf_counter()
        # PROJ complains about the grid's corners beyond the sphere.
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        seconds = time.perf_counter() - start
        times.setdefault(name, []).append(seconds)
        line.append(f"{name} {seconds:.3f}")
    print(f"round {r}: " + ", ".join(line), flush=True)
    if r == 1:
        ours = np.frombuffer(open(outputs["quorvex warp"], "rb").read()[512:], np.uint8)
        exact = gdal.Open(outputs["gdalwarp -et 0"]).ReadAsArray().ravel()
        default = gdal.Open(outputs["gdalwarp"]).ReadAsArray().ravel()
        if (ours != exact).any():
            sys.exit(f"quorvex warp differs from gdalwarp -et 0 at {(ours != exact).sum()} pixels")
        print(f"quorvex warp = gdalwarp -et 0 byte for byte; gdalwarp's default differs at "
              f"{(default != exact).sum()} of {exact.size} pixels")
        ours = np.frombuffer(open(outputs["quorvex warp 3 scans"], "rb").read()[512:], np.uint8)
        exact = gdal.Open(outputs["gdalwarp -et 0 3 scans"]).ReadAsArray().ravel()
        if (ours != exact).any():
            sys.exit(f"quorvex warp of the scans differs from gdalwarp -et 0 at "
                     f"{(ours != exact).sum()} pixels")
        default = gdal.Open(outputs["gdalwarp 3 scans"]).ReadAsArray().ravel()
        print(f"quorvex warp of 3 scans = gdalwarp -et 0 of them byte for byte; gdalwarp's "
              f"default differs at {(default != exact).sum()} pixels")
        for ours_name, theirs_name in (("quorvex warp --mean", "gdalwarp -r average"),
                                       ("quorvex warp --median", "gdalwarp -r med")):
            ours = np.frombuffer(open(outputs[ours_name], "rb").read()[512:], np.uint8)
            theirs = gdal.Open(outputs[theirs_name]).ReadAsArray().ravel()
            both = (ours != 255) & (theirs != 255)
            apart = np.abs(ours[both].astype(int) - theirs[both])
            print(f"{ours_name} and {theirs_name}: {both.sum()} pixels valid in both, "
                  f"{(apart > 1).sum()} more than one byte apart, mean difference "
                  f"{apart.mean():.3f}; valid in one only: {((ours != 255) != (theirs != 255)).sum()}")
print(f"{size} x {size} pixels each; {os.cpu_count()} processors; "
      f"load average {os.getloadavg()[0]:.2f}")
print(f"{'program':24} {'median s':>9}")
for name, values in times.items():
    print(f"{name:24} {statistics.median(values):9.3f}")
PY
