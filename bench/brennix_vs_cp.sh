#!/bin/sh
# Brennix against cp on the same file, measured in one run: each round runs
# cp, Brennix, cp (and, with BASELINE, another Brennix build, then cp again),
# so that a busy machine slows all alike; each program's time is set against
# the mean of the cp runs on either side of it.  Two images: 8192 x 8192
# (64 MiB of pixels, few logged) and 32767 x 32767 (1 GiB, the same pixels
# tiled).  Reports the load average, every round, the medians of wall and
# CPU time, and Brennix's peak memory; then a run that logs every pixel of a
# 2048 x 2048 image, in log lines per second.  Where the build has
# bench/plain_copy (make bench), it runs in the same rounds: the file read
# and written in Brennix's pieces with nothing done to the bytes, the floor
# of any program that rewrites them in user space.
# Usage: sh bench/brennix_vs_cp.sh [BUILD]
#   BUILD holds brennix/brennix and brennix/brennix_make_ida (default
#   build-bench, else build).  Environment: ROUNDS (default 11), SIZES
#   (default "64M 1G"), BASELINE (path of another brennix to compare),
#   TMPDIR (where the images go; 2.2 GiB for both sizes), SYNC=0 (no sync
#   of the file system between runs).
set -eu
cd "$(dirname "$0")/.."
build=${1:-}
if [ -z "$build" ]; then
    if [ -x build-bench/brennix/brennix ]; then build=build-bench; else build=build; fi
fi
program=$build/brennix/brennix
make_ida=$build/brennix/brennix_make_ida
for tool in "$program" "$make_ida" ${BASELINE:+"$BASELINE"}; do
    [ -x "$tool" ] || { echo "missing $tool; build first" >&2; exit 1; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/brennix-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

"$make_ida" "$work/64M.ida" ndvi 8192 8192
"$make_ida" "$work/ramp.ida" ramp 2048 2048

plain_copy=$build/bench/plain_copy
[ -x "$plain_copy" ] || plain_copy=

python3 - "$program" "$work" "${ROUNDS:-11}" "${SIZES:-64M 1G}" "${BASELINE:-}" "$plain_copy" <<'PY'
import os, statistics, subprocess, sys, time

program, work, rounds, sizes, baseline, plain_copy = sys.argv[1:7]
rounds = int(rounds)
settle = os.environ.get("SYNC", "1") != "0"
out = os.path.join(work, "out.ida")
devnull = subprocess.DEVNULL


def tile_1g(source, target):
    """32767 x 32767: the 64 MiB image's header with the new size (Height at
    byte 30, WIDz at 32, little-endian), its pixels repeated."""
    with open(source, "rb") as f:
        header = bytearray(f.read(512))
        pixels = f.read()
    header[30:34] = (32767).to_bytes(2, "little") * 2
    left = 32767 * 32767
    with open(target, "wb") as f:
        f.write(header)
        while left:
            f.write(pixels[:left])
            left -= min(left, len(pixels))


def brennix(binary, source, slope="0.35", intercept="-5", log="run.log"):
    return [binary, source, out, slope, intercept, os.path.join(work, log),
            os.path.join(work, "c.clr")]


def timed(command):
    """Wall and CPU seconds of one run; the old output is removed first,
    outside the timing, and the file system left with nothing pending
    (SYNC=0 skips that): the blocks of a removed 64 MiB file are freed by
    the journal's next commit, which otherwise lands in the next run and
    made cp after Brennix, or Brennix after cp, up to a quarter slower."""
    if os.path.exists(out):
        os.remove(out)
    if settle:
        os.sync()
    start = time.perf_counter()
    child = subprocess.Popen(command, stdin=devnull, stdout=devnull)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    if status != 0:
        sys.exit(f"{command[0]} failed with status {status}")
    return wall, usage.ru_utime + usage.ru_stime


def peak_mib(command):
    if os.path.exists(out):
        os.remove(out)
    report = subprocess.run(["/usr/bin/time", "-v"] + command, check=True, stdin=devnull,
                            stdout=devnull, stderr=subprocess.PIPE, text=True).stderr
    return next(int(line.split(":")[1]) for line in report.splitlines()
                if "Maximum resident set size" in line) / 1024


def load():
    return " ".join(f"{x:.2f}" for x in os.getloadavg())


for size in sizes.split():
    image = os.path.join(work, size + ".ida")
    if size == "1G":
        tile_1g(os.path.join(work, "64M.ida"), image)
    with open(image, "rb") as f:          # every case starts from the page cache
        while f.read(1 << 24):
            pass
    programs = {"brennix": brennix(program, image)}
    if baseline:
        programs["baseline"] = brennix(baseline, image)
    if plain_copy:
        programs["plain"] = [plain_copy, image, out]
    cp = ["cp", image, out]
    runs = {name: [] for name in programs}
    ratios = {name: [] for name in programs}
    cp_runs = []
    print(f"{size}: {os.path.getsize(image)} bytes, {rounds} rounds; load {load()}")
    for r in range(rounds):
        before = timed(cp)
        cp_runs.append(before)
        line = f"  round {r + 1:2d}: cp {before[0] * 1e3:7.1f}"
        for name, command in programs.items():
            run = timed(command)
            after = timed(cp)
            cp_runs.append(after)
            runs[name].append(run)
            ratios[name].append(run[0] / ((before[0] + after[0]) / 2))
            line += f"  {name} {run[0] * 1e3:7.1f}  cp {after[0] * 1e3:7.1f}"
            before = after
        print(line + " ms wall", flush=True)
    print(f"  load after: {load()}")
    cp_wall = statistics.median(w for w, _ in cp_runs)
    cp_cpu = statistics.median(c for _, c in cp_runs)
    print(f"  cp        median wall {cp_wall * 1e3:7.1f} ms  cpu {cp_cpu * 1e3:7.1f} ms")
    for name, values in runs.items():
        wall = statistics.median(w for w, _ in values)
        cpu = statistics.median(c for _, c in values)
        print(f"  {name:9s} median wall {wall * 1e3:7.1f} ms  cpu {cpu * 1e3:7.1f} ms  "
              f"ratio to cp: wall {statistics.median(ratios[name]):.2f} "
              f"(rounds {' '.join(f'{x:.2f}' for x in ratios[name])}), "
              f"cpu {cpu / cp_cpu:.2f}")
    print(f"  brennix peak memory {peak_mib(programs['brennix']):.1f} MiB")
    if size == "1G":
        os.remove(image)

ramp = os.path.join(work, "ramp.ida")
seconds, _ = timed(brennix(program, ramp, "0.001", "-1000", "ramp.log"))
with open(os.path.join(work, "ramp.log"), "rb") as f:
    lines = sum(1 for line in f if b"out of range" in line)
print(f"every pixel logged: {lines} lines in {seconds * 1e3:.1f} ms = "
      f"{lines / seconds:,.0f} lines/s")
PY
