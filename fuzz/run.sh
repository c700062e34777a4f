#!/bin/sh
# Runs every fuzz target built in BUILD for SECONDS each, starting from the
# seed corpus in fuzz/corpus/<name> and keeping what it learns in
# BUILD/corpus/<name> (the seeds in the repository stay as they are).  A
# crash, leak, sanitizer report or broken invariant stops with a non-zero
# status; the input that did it is saved as BUILD/artifacts/<name>-*.
# Usage: run.sh BUILD SECONDS [target...]
set -eu
build=$1
seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
targets=${*:-$(cd "$here/corpus" && ls)}

mkdir -p "$build/artifacts"
for name in $targets; do
    binary="$build/fuzz_$name"
    if [ ! -x "$binary" ]; then
        echo "fuzz: $binary is not built" >&2
        exit 1
    fi
    mkdir -p "$build/corpus/$name"
    echo "fuzz: $name for $seconds s"
    log="$build/fuzz_$name.log"
    # One worker, so the run takes no more than its share of the machine.
    if ! "$binary" -max_total_time="$seconds" -print_final_stats=1 \
            -timeout=10 -rss_limit_mb=1024 -max_len=8192 \
            -artifact_prefix="$build/artifacts/$name-" \
            "$build/corpus/$name" "$here/corpus/$name" >"$log" 2>&1; then
        tail -n 60 "$log" >&2
        echo "fuzz: $name FAILED (log in $log)" >&2
        exit 1
    fi
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz: $name clean, $executions executions"
done
