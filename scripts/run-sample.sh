#!/bin/sh
# Runs Brennix on the bundled sample, a 512 x 512 vegetation index in
# hundredths (law 0.4 x byte - 10, missing code 255), re-encoding it for the
# law 0.35 x byte - 5: a small lake underflows and a glare spot overflows,
# so the log shows both kinds of line.  The files go to OUT (default out).
# IN replaces the sample: the tests give a fresh copy of it, so that a
# faulty build that writes over its input cannot reach the committed file.
# Usage: sh scripts/run-sample.sh BUILD [OUT [IN]]
set -eu
build=${1:-build}
out=${2:-out}
in=${3:-samples/ndvi_512.ida}
cd "$(dirname "$0")/.."
program=$build/brennix/brennix
if [ ! -x "$program" ]; then
    echo "no Brennix in $build; build it first (make run does)" >&2
    exit 1
fi
mkdir -p "$out"
status=0
"$program" "$in" "$out/ndvi_rescaled.ida" 0.35 -5 \
    "$out/ndvi_rescaled.log" "$out/ndvi_rescaled.clr" </dev/null || status=$?
if [ "$status" -ne 0 ]; then
    echo "Brennix failed with status $status" >&2
    exit "$status"
fi
echo
echo "Brennix re-encoded $in for slope 0.35 and intercept -5:"
echo "  image        $out/ndvi_rescaled.ida"
echo "  log          $out/ndvi_rescaled.log ($(grep -c 'out of range' "$out/ndvi_rescaled.log") pixels out of range)"
echo "  colour file  $out/NDVI_RESCALED.CLR"
