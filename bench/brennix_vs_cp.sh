#!/bin/sh
# Brennix against cp on an 8192 x 8192 image (64 MiB of pixels), measured in
# the same run: wall time as a ratio to copying the same file, and peak
# memory against the goal of twice the image plus 16 MiB.  A second case
# logs every pixel of a 2048 x 2048 image and reports log lines per second.
# Usage: sh bench/brennix_vs_cp.sh [BUILD]   (BUILD holds brennix/brennix
# and brennix/brennix_make_ida; default build-bench, else build)
set -eu
cd "$(dirname "$0")/.."
build=${1:-}
if [ -z "$build" ]; then
    if [ -x build-bench/brennix/brennix ]; then build=build-bench; else build=build; fi
fi
program=$build/brennix/brennix
make_ida=$build/brennix/brennix_make_ida
for tool in "$program" "$make_ida"; do
    [ -x "$tool" ] || { echo "missing $tool; build first" >&2; exit 1; }
done
rounds=${ROUNDS:-7}
work=$(mktemp -d "${TMPDIR:-/tmp}/brennix-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

now_ns() { date +%s%N; }

# Median of the numbers on standard input.
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

"$make_ida" "$work/big.ida" ndvi 8192 8192
image_bytes=$(wc -c < "$work/big.ida")
cat "$work/big.ida" > /dev/null   # both start from the page cache

: > "$work/cp.times"
: > "$work/brennix.times"
i=0
while [ "$i" -lt "$rounds" ]; do
    rm -f "$work/copy.ida" "$work/out.ida"
    t0=$(now_ns); cp "$work/big.ida" "$work/copy.ida"; t1=$(now_ns)
    echo $((t1 - t0)) >> "$work/cp.times"
    t0=$(now_ns)
    "$program" "$work/big.ida" "$work/out.ida" 0.35 -5 "$work/run.log" "$work/big.clr" \
        > /dev/null </dev/null
    t1=$(now_ns)
    echo $((t1 - t0)) >> "$work/brennix.times"
    i=$((i + 1))
done
cp_ns=$(median < "$work/cp.times")
brennix_ns=$(median < "$work/brennix.times")

rm -f "$work/out.ida"
peak_kib=$(/usr/bin/time -v "$program" "$work/big.ida" "$work/out.ida" 0.35 -5 \
               "$work/run.log" "$work/big.clr" 2>&1 >/dev/null </dev/null |
           awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }')
goal_kib=$(( (2 * image_bytes) / 1024 + 16 * 1024 ))

"$make_ida" "$work/ramp.ida" ramp 2048 2048
t0=$(now_ns)
"$program" "$work/ramp.ida" "$work/ramp_out.ida" 0.001 -1000 "$work/ramp.log" "$work/ramp.clr" \
    > /dev/null </dev/null
t1=$(now_ns)
log_ns=$((t1 - t0))
logged=$(grep -c 'out of range' "$work/ramp.log")

awk -v cp="$cp_ns" -v br="$brennix_ns" -v peak="$peak_kib" -v goal="$goal_kib" \
    -v bytes="$image_bytes" -v lines="$logged" -v lns="$log_ns" -v rounds="$rounds" 'BEGIN {
    printf "image: 8192 x 8192, %d bytes; median of %d rounds\n", bytes, rounds
    printf "cp:        %8.1f ms\n", cp / 1e6
    printf "brennix:   %8.1f ms\n", br / 1e6
    printf "ratio brennix / cp: %.2f (goal at most 1.30)\n", br / cp
    printf "peak memory: %.1f MiB (goal at most %.1f MiB = twice the image + 16 MiB)\n", \
           peak / 1024, goal / 1024
    printf "every pixel logged: %d lines in %.1f ms = %.0f lines/s\n", \
           lines, lns / 1e6, lines / (lns / 1e9)
}'
