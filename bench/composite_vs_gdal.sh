#!/bin/sh
# quorvex composite against gdal_calc.py on a stack of images, in one run:
# each round makes the maximum, the mean, the median, the standard
# deviation, the trend (the least-squares slope against the images' order)
# and the sum of every image with both.
# gdal_calc.py (numpy over the stack, -A with every file) takes the plain
# bytes, missing code included, so it does less than composite; the first
# round also checks composite's results against numpy with the missing code
# left out.  Reports every round and the medians.
# Usage: sh bench/composite_vs_gdal.sh [BUILD]
#   BUILD holds cli/quorvex, brennix/brennix_make_ida and gdal/gdalplugins
#   (default build).  Environment: ROUNDS (default 5), IMAGES (default 36),
#   SIZE (pixels a side, default 2048), TMPDIR (where the stack goes).
set -eu
BENCH=composite IMAGES=${IMAGES:-36} SIZE=${SIZE:-2048}
. "$(dirname "$0")/stack.sh"
calc=$(command -v gdal_calc.py) || { echo "missing gdal_calc.py (python3-gdal)" >&2; exit 1; }
"$gdal_python" - "$build/cli/quorvex" "$work" "${ROUNDS:-5}" "$calc" <<'PY'
import glob, json, os, statistics, subprocess, sys, time, warnings
import numpy as np

quorvex, work, rounds, calc = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
images = sorted(glob.glob(os.path.join(work, "day*.ida")))
count = len(images)

def nantrend(values, axis):
    """The least-squares slope of the values that are not NaN against their index."""
    x = np.arange(values.shape[axis], dtype=float)[:, None] * ~np.isnan(values)
    y, n = np.nan_to_num(values), (~np.isnan(values)).sum(axis)
    sx, sy = x.sum(axis), y.sum(axis)
    return (n * (x * y).sum(axis) - sx * sy) / (n * (x * x).sum(axis) - sx * sx)

# The same with the missing code taken as a value, as gdal_calc.py is given it.
x = "(numpy.arange(A.shape[0])-(A.shape[0]-1)/2)"
calc_trend = f"({x}[:,None,None]*A).sum(0)/({x}**2).sum()"

def check(statistic, out):
    """composite's result against numpy, the missing code left out."""
    d = json.loads(subprocess.run([quorvex, "info", "--json", images[0]], check=True,
                                  capture_output=True, text=True).stdout)["description"]
    m, b, missing = d["slope"], d["intercept"], d["missingcodes"]
    stack = np.stack([np.frombuffer(open(i, "rb").read()[512:], np.uint8) for i in images])
    valid = ~np.isin(stack, missing)
    values = np.where(valid, stack * m + b, np.nan)
    # Places with no valid pixel (the image's gap) give NaN, and a warning.
    with np.errstate(all="ignore"), warnings.catch_warnings():
        warnings.simplefilter("ignore", RuntimeWarning)
        v = {"max": np.nanmax, "mean": np.nanmean, "median": np.nanmedian,
             "stddev": np.nanstd, "trend": nantrend, "sum": np.sum}[statistic](values, 0)
    # The standard deviation, the trend and the sum are coded in the
    # result's own header, 0 to 254, 255 where there is none (a trend needs
    # two values, a sum one of every image).
    if statistic in ("stddev", "trend", "sum"):
        r = json.loads(subprocess.run([quorvex, "info", "--json", out], check=True,
                                      capture_output=True, text=True).stdout)["description"]
        m, b, gap = r["slope"], r["intercept"], np.full(stack[0].shape, 255)
    else:
        gap = stack[0]
    t = (v - b) / m
    lower = np.floor(t)
    # Nearest valid byte by value, of two as near the lower value (m > 0).
    want = np.clip(np.where(t - lower <= 0.5, lower, lower + 1), 0, 254)
    fewest = {"trend": 2, "sum": count}.get(statistic, 1)
    want = np.where(valid.sum(0) >= fewest, want, gap).astype(np.uint8)
    got = np.frombuffer(open(out, "rb").read()[512:], np.uint8)
    if (got != want).any():
        sys.exit(f"composite --{statistic} differs from numpy at {(got != want).sum()} pixels")

times = {}
for r in range(1, rounds + 1):
    line = []
    for statistic, numpy_call in (("max", "numpy.max"), ("mean", "numpy.mean"),
                                  ("median", "numpy.median"), ("stddev", "numpy.std"),
                                  ("trend", "slope"), ("sum", "numpy.sum")):
        expression = calc_trend if statistic == "trend" else f"{numpy_call}(A,axis=0)"
        out = os.path.join(work, f"{statistic}.ida")
        for name, command in (
                (f"quorvex composite --{statistic}",
                 [quorvex, "composite", f"--{statistic}", "-o", out, *images]),
                (f"gdal_calc.py {numpy_call}",
                 [sys.executable, calc, "--quiet", "--overwrite", "--hideNoData", "--type=Byte",
                  f"--calc={expression}", f"--outfile={work}/calc.tif", "-A", *images])):
            start = time.perf_counter()
            subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
            seconds = time.perf_counter() - start
            times.setdefault(name, []).append(seconds)
            line.append(f"{name} {seconds:.3f}")
        if r == 1:
            check(statistic, out)
    print(f"round {r}: " + ", ".join(line), flush=True)
print(f"{count} images of {os.path.getsize(images[0]) - 512} pixels; load average {os.getloadavg()[0]:.2f}")
print(f"{'program':34} {'median s':>9}")
for name, values in times.items():
    print(f"{name:34} {statistics.median(values):9.3f}")
PY
