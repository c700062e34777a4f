#!/bin/sh
# Runs the same fixed cases through a reference build and through another
# build of the library and Brennix, and compares every output byte for byte:
# the export cases (quorvex/tests/export_cases.c), and Brennix on the golden
# cases (image, colour file, log after its run stamp, exit status, console
# output and messages, the last two with CR LF line ends read as LF).
#   compare-builds.sh REF_CASES REF_LIBRARY REF_BRENNIX \
#                     CASES LIBRARY BRENNIX SAMPLE [RUNNER...]
# RUNNER is the command that runs the other build's programs (an emulator or
# Wine); without it they run directly.  With X86_32=1 in the environment the
# other build's cases also run under 53- and 64-bit x87 precision and on
# stacks moved off 16-byte alignment, and must still print the same; with
# X86_32_FULL=1 under 24-bit precision as well (not under user-mode QEMU,
# which rounds x87 loads to the precision setting where processors do not,
# so that a double returned by any function arrives cut to 24 bits).
set -eu
[ $# -ge 7 ] || { sed -n '2,12p' "$0" >&2; exit 2; }
ref_cases=$1 ref_library=$2 ref_brennix=$3 cases=$4 library=$5 brennix=$6 sample=$7
shift 7
work=$(mktemp -d "${TMPDIR:-/tmp}/compare-builds.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
checks=0

# same WHAT FILE_A FILE_B: counts the check, reports a difference.
same() {
    checks=$((checks + 1))
    if ! cmp -s "$2" "$3"; then
        echo "DIFFERENT: $1"
        diff "$2" "$3" | head -n 6 | cut -c1-200
        failures=$((failures + 1))
    fi
}

mkdir "$work/ref" "$work/other"
(cd "$work/ref" && "$ref_cases" "$ref_library" >cases.txt)
variants="plain"
[ "${X86_32:-0}" = 1 ] && variants="plain x87-53 x87-64 misalign-4 misalign-8 misalign-12"
[ "${X86_32_FULL:-0}" = 1 ] && variants="$variants x87-24"
for variant in $variants; do
    case $variant in
        plain) options="" ;;
        x87-*) options="--x87 ${variant#x87-}" ;;
        misalign-*) options="--misalign ${variant#misalign-}" ;;
    esac
    # shellcheck disable=SC2086
    (cd "$work/other" && "$@" "$cases" "$library" $options >cases.txt) ||
        echo "export cases ($variant) ended with status $?" >>"$work/other/cases.txt"
    same "export cases ($variant)" "$work/ref/cases.txt" "$work/other/cases.txt"
done

# run_brennix SIDE PROGRAM ARGS...: one run in a fresh folder of SIDE.
run_brennix() {
    side=$1
    shift
    rm -rf "$work/$side"
    mkdir "$work/$side"
    cp "$sample" "$work/$side/in.ida"
    status=0
    (cd "$work/$side" && "$@" </dev/null >stdout.txt 2>stderr.txt) || status=$?
    echo "$status" >"$work/$side/status.txt"
    if [ -f "$work/$side/run.log" ]; then
        tail -n +2 "$work/$side/run.log" >"$work/$side/log.txt"
    fi
}

while read -r slope intercept input; do
    run_brennix ref "$ref_brennix" "$input" out.ida "$slope" "$intercept" run.log col.clr
    run_brennix other "$@" "$brennix" "$input" out.ida "$slope" "$intercept" run.log col.clr
    # A Windows console program writes its text with CR LF line ends.
    for file in stdout.txt stderr.txt; do
        tr -d '\r' <"$work/other/$file" >"$work/other/$file.lf"
        mv "$work/other/$file.lf" "$work/other/$file"
    done
    for file in status.txt stdout.txt stderr.txt out.ida log.txt COL.CLR; do
        if [ -f "$work/ref/$file" ] || [ -f "$work/other/$file" ]; then
            touch "$work/ref/$file" "$work/other/$file"
            same "Brennix $input $slope $intercept: $file" "$work/ref/$file" "$work/other/$file"
        fi
    done
done <<'CASES'
0.35 -5 in.ida
0.3999999999996362 -10.19999999999982 in.ida
0.4 -10 in.ida
-0.25 60 in.ida
0.001 -10 in.ida
0 5 in.ida
0.5 0 missing.ida
CASES

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
