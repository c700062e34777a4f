# Shared by the benchmarks that run quorvex against GDAL on a stack of
# images of one grid; sourced after setting BENCH (names the scratch
# folder), IMAGES and SIZE (pixels a side).  Takes the build folder as the
# script's first argument (default build) and leaves build, work (holding
# day000.ida, day001.ida, ...), gdal_python (a Python with GDAL's bindings
# and numpy: Debian's, where another comes first) and GDAL_DRIVER_PATH.
cd "$(dirname "$0")/.."
build=${1:-build}
for tool in "$build/cli/quorvex" "$build/brennix/brennix_make_ida"; do
    [ -x "$tool" ] || { echo "missing $tool; build first" >&2; exit 1; }
done
for gdal_python in python3 /usr/bin/python3 ""; do
    [ -n "$gdal_python" ] || { echo "missing python3-gdal or python3-numpy" >&2; exit 1; }
    "$gdal_python" -c 'from osgeo import gdal; import numpy' 2>/dev/null && break
done
work=$(mktemp -d "${TMPDIR:-/tmp}/$BENCH-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

# The generated image with its valid bytes turned by the image's number;
# the missing code 255 stays.
"$build/brennix/brennix_make_ida" "$work/base.ida" ndvi "$SIZE" "$SIZE"
"$gdal_python" - "$work" "$IMAGES" <<'PY'
import sys
work, count = sys.argv[1], int(sys.argv[2])
base = open(f"{work}/base.ida", "rb").read()
for n in range(count):
    table = bytes((b + n) % 250 if b < 250 else b for b in range(256))
    with open(f"{work}/day{n:03}.ida", "wb") as f:
        f.write(base[:512] + base[512:].translate(table))
PY
rm "$work/base.ida"
GDAL_DRIVER_PATH=$(cd "$build/gdal/gdalplugins" && pwd)
export GDAL_DRIVER_PATH
