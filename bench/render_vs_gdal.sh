#!/bin/sh
# quorvex render against gdal_translate -of PNG on the same image, in one
# run: each round runs both on an 8192 x 8192 image coloured by a ramp
# (GDAL writes its grey levels) and by the classes of a Brennix colour file
# (GDAL takes the colour file beside the image as its colour table), then
# render with --legend, which GDAL has no counterpart of; with BASELINE,
# another quorvex build runs in the same rounds.  Reports every round, the
# medians of wall time and the size of each picture.
# Usage: sh bench/render_vs_gdal.sh [BUILD]
#   BUILD holds cli/quorvex, brennix/brennix, brennix/brennix_make_ida and
#   gdal/gdalplugins (default build).  Environment: ROUNDS (default 5),
#   BASELINE (path of another quorvex to compare), TMPDIR (where the
#   images go; about 400 MiB).
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
for tool in "$build/cli/quorvex" "$build/brennix/brennix" "$build/brennix/brennix_make_ida" \
            ${BASELINE:+"$BASELINE"}; do
    [ -x "$tool" ] || { echo "missing $tool; build first" >&2; exit 1; }
done
command -v gdal_translate >/dev/null || { echo "missing gdal_translate (gdal-bin)" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/render-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

"$build/brennix/brennix_make_ida" "$work/big.ida" ndvi 8192 8192
# A colour file for the image's own law, and the same beside a copy of the
# image, where GDAL looks for it.
"$build/brennix/brennix" "$work/big.ida" "$work/same.ida" 0.4 -10 "$work/same.log" \
    "$work/classes.clr" >/dev/null
mkdir "$work/classes" && ln -s ../big.ida "$work/classes/big.ida" &&
    cp "$work/CLASSES.CLR" "$work/classes/BIG.CLR"

GDAL_DRIVER_PATH=$(cd "$build/gdal/gdalplugins" && pwd)
export GDAL_DRIVER_PATH
python3 - "$build/cli/quorvex" "$work" "${ROUNDS:-5}" "${BASELINE:-}" <<'PY'
import os, statistics, subprocess, sys, time

quorvex, work, rounds, baseline = sys.argv[1:5]
image, classes = os.path.join(work, "big.ida"), os.path.join(work, "CLASSES.CLR")
programs = [("render", quorvex)] + ([("baseline", baseline)] if baseline else [])
cases = []  # (case, program, command)
for colours, options in (("ramp", []), ("classes", ["--colours", classes])):
    for legend in ([], ["--legend"]):
        case = colours + (" legend" if legend else "")
        for name, binary in programs:
            cases.append((case, name, [binary, "render", image, *options, *legend]))
        if not legend:
            source = image if colours == "ramp" else os.path.join(work, "classes", "big.ida")
            cases.append((case, "gdal_translate", ["gdal_translate", "-q", "-of", "PNG", source]))

times, sizes = {}, {}
for r in range(1, int(rounds) + 1):
    line = []
    for case, name, command in cases:
        out = os.path.join(work, "out.png")
        if os.path.exists(out):
            os.remove(out)
        full = command + (["-o", out] if name != "gdal_translate" else [out])
        start = time.perf_counter()
        subprocess.run(full, check=True, stdout=subprocess.DEVNULL)
        seconds = time.perf_counter() - start
        times.setdefault((case, name), []).append(seconds)
        sizes[(case, name)] = os.path.getsize(out)
        line.append(f"{case}/{name} {seconds:.2f}")
    print(f"round {r}: " + ", ".join(line), flush=True)
print(f"load average {os.getloadavg()[0]:.2f}")
print(f"{'case':16} {'program':15} {'median s':>9} {'size MB':>8}")
for (case, name), values in times.items():
    print(f"{case:16} {name:15} {statistics.median(values):9.2f} {sizes[(case, name)] / 1e6:8.1f}")
PY
