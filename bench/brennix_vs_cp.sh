#!/bin/sh
# Brennix against cp on an 8192 x 8192 image (64 MiB of pixels), measured in
# the same run with the rounds interleaved, so that a busy machine slows
# both alike: wall and CPU time as ratios to copying the same file (cp, and
# dd with 256 KiB blocks as a copy through user memory like Brennix's),
# and peak memory against twice the image plus 16 MiB.  A second case logs
# every pixel of a 2048 x 2048 image and reports log lines per second.
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
work=$(mktemp -d "${TMPDIR:-/tmp}/brennix-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

"$make_ida" "$work/big.ida" ndvi 8192 8192
"$make_ida" "$work/ramp.ida" ramp 2048 2048

python3 - "$program" "$work" "${ROUNDS:-11}" <<'PY'
import os, resource, statistics, subprocess, sys, time

program, work, rounds = sys.argv[1], sys.argv[2], int(sys.argv[3])
big = os.path.join(work, "big.ida")
out = os.path.join(work, "out.ida")
devnull = subprocess.DEVNULL

def brennix(source, target, slope, intercept, log):
    return [program, source, target, slope, intercept, log, os.path.join(work, "c.clr")]

cases = {
    "cp": ["cp", big, out],
    "dd": ["dd", "if=" + big, "of=" + out, "bs=256K", "status=none"],
    "brennix": brennix(big, out, "0.35", "-5", os.path.join(work, "run.log")),
}

def timed(command):
    if os.path.exists(out):
        os.remove(out)
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run(command, check=True, stdin=devnull, stdout=devnull)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return wall, cpu, after.ru_maxrss

with open(big, "rb") as f:          # every case starts from the page cache
    while f.read(1 << 24):
        pass
walls = {name: [] for name in cases}
cpus = {name: [] for name in cases}
for _ in range(rounds):
    for name, command in cases.items():
        wall, cpu, _ = timed(command)
        walls[name].append(wall)
        cpus[name].append(cpu)

# GNU time reports the program's own peak resident set.
os.remove(out)
report = subprocess.run(["/usr/bin/time", "-v"] + cases["brennix"], check=True,
                        stdin=devnull, stdout=devnull, stderr=subprocess.PIPE, text=True).stderr
peak_kib = next(int(line.split(":")[1]) for line in report.splitlines()
                if "Maximum resident set size" in line)

image_bytes = os.path.getsize(big)
goal_kib = 2 * image_bytes / 1024 + 16 * 1024
wall = {name: statistics.median(v) for name, v in walls.items()}
cpu = {name: statistics.median(v) for name, v in cpus.items()}
print(f"image 8192 x 8192 ({image_bytes} bytes), median of {rounds} interleaved rounds")
for name in cases:
    print(f"  {name:8s} wall {wall[name] * 1e3:7.1f} ms   cpu {cpu[name] * 1e3:7.1f} ms")
print(f"ratio brennix / cp: wall {wall['brennix'] / wall['cp']:.2f}, "
      f"cpu {cpu['brennix'] / cpu['cp']:.2f} (goal at most 1.30)")
print(f"ratio brennix / dd: wall {wall['brennix'] / wall['dd']:.2f}, "
      f"cpu {cpu['brennix'] / cpu['dd']:.2f}")
print(f"peak memory {peak_kib / 1024:.1f} MiB "
      f"(goal at most {goal_kib / 1024:.1f} MiB = twice the image + 16 MiB)")

ramp = os.path.join(work, "ramp.ida")
ramp_log = os.path.join(work, "ramp.log")
seconds, _, _ = timed(brennix(ramp, out, "0.001", "-1000", ramp_log))
with open(ramp_log, "rb") as f:
    lines = sum(1 for line in f if b"out of range" in line)
print(f"every pixel logged: {lines} lines in {seconds * 1e3:.1f} ms = "
      f"{lines / seconds:,.0f} lines/s")
PY
