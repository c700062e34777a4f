#!/bin/sh
# quorvex anomaly against gdal_calc.py, in one run: each round maps the
# departure of one image from another, coded as anomaly codes it by
# default (the image's slope, a departure of 0 at byte 128, 255 where
# either image has its missing code), with both; then the same departure
# in the standard deviations of three images (composite --stddev, made
# once), 1/32 a byte with 0 at byte 128, 255 also where the standard
# deviation is missing or 0.  The first round also checks anomaly's
# results against numpy.  Reports every round and the medians.
# Usage: sh bench/anomaly_vs_gdal.sh [BUILD]
#   BUILD as for bench/composite_vs_gdal.sh.  Environment: ROUNDS (default
#   5), SIZE (pixels a side, default 8192), TMPDIR (where the images go).
set -eu
BENCH=anomaly IMAGES=3 SIZE=${SIZE:-8192}
. "$(dirname "$0")/stack.sh"
calc=$(command -v gdal_calc.py) || { echo "missing gdal_calc.py (python3-gdal)" >&2; exit 1; }
"$gdal_python" - "$build/cli/quorvex" "$work" "${ROUNDS:-5}" "$calc" <<'PY'
import json, os, statistics, subprocess, sys, time
import numpy as np

quorvex, work, rounds, calc = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
image, normal = f"{work}/day000.ida", f"{work}/day001.ida"
out, z = f"{work}/anomaly.ida", f"{work}/z.ida"
deviation = f"{work}/stddev.ida"
subprocess.run([quorvex, "composite", "--stddev", "-o", deviation, image, normal,
                f"{work}/day002.ida"], check=True)

def description(path):
    return json.loads(subprocess.run([quorvex, "info", "--json", path], check=True,
                                     capture_output=True, text=True).stdout)["description"]

d = description(image)
m, b, missing = d["slope"], d["intercept"], d["missingcodes"][0]
sd = description(deviation)["slope"]
# The result's law as its header holds it: the image's slope, -128 slopes.
expression = (f"numpy.where((A == {missing}) | (B == {missing}), 255, numpy.clip(numpy.floor("
              f"((A * {m!r} + {b!r}) - (B * {m!r} + {b!r})) / {m!r} + 128.5), 0, 254))")
# In standard deviations: 32 a unit, 0 at 128, the halves to the lower.
standard = (f"numpy.where((A == {missing}) | (B == {missing}) | (C == 255) | (C == 0), 255, "
            f"numpy.clip(numpy.ceil(((A * {m!r} + {b!r}) - (B * {m!r} + {b!r})) / "
            f"(numpy.where(C == 0, 1, C) * {sd!r}) * 32 + 127.5), 0, 254))")

def pixels(path):
    return np.frombuffer(open(path, "rb").read()[512:], np.uint8)

def check(result, departure, missed):
    """anomaly's result against numpy: the nearest byte, of two as near the lower."""
    r = description(result)
    t = (departure - r["intercept"]) / r["slope"]
    lower = np.floor(t)
    want = np.clip(np.where(t - lower <= 0.5, lower, lower + 1), 0, 254)
    want = np.where(missed, 255, want).astype(np.uint8)
    got = pixels(result)
    if (got != want).any():
        sys.exit(f"{result} differs from numpy at {(got != want).sum()} pixels")

times = {}
for r in range(1, rounds + 1):
    line = []
    for name, command in (
            ("quorvex anomaly", [quorvex, "anomaly", image, "--normal", normal, "-o", out]),
            ("gdal_calc.py", [sys.executable, calc, "--quiet", "--overwrite", "--type=Byte",
                              f"--calc={expression}", f"--outfile={work}/calc.tif",
                              "-A", image, "-B", normal]),
            ("quorvex anomaly --stddev", [quorvex, "anomaly", image, "--normal", normal,
                                          "--stddev", deviation, "-o", z]),
            ("gdal_calc.py, stddev", [sys.executable, calc, "--quiet", "--overwrite",
                                      "--type=Byte", f"--calc={standard}",
                                      f"--outfile={work}/calc.tif", "-A", image, "-B", normal,
                                      "-C", deviation])):
        start = time.perf_counter()
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
        seconds = time.perf_counter() - start
        times.setdefault(name, []).append(seconds)
        line.append(f"{name} {seconds:.3f}")
    if r == 1:
        a, n, c = (pixels(p).astype(float) for p in (image, normal, deviation))
        missed = (a == missing) | (n == missing)
        check(out, (a * m + b) - (n * m + b), missed)
        with np.errstate(divide="ignore", invalid="ignore"):
            check(z, ((a * m + b) - (n * m + b)) / (c * sd), missed | (c == 255) | (c == 0))
    print(f"round {r}: " + ", ".join(line), flush=True)
print(f"3 images of {os.path.getsize(image) - 512} pixels; load average {os.getloadavg()[0]:.2f}")
print(f"{'program':26} {'median s':>9}")
for name, values in times.items():
    print(f"{name:26} {statistics.median(values):9.3f}")
PY
