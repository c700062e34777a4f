#!/bin/sh
# The names the program leaves undefined and our library defines must be
# exactly the two 6-byte real conversions.
set -eu
names() { nm -D "$@" | awk '{sub(/@.*/, "", $NF); print $NF}' | sort -u; }
taken=$(names --undefined-only "$1" | grep -Fx "$(names --defined-only "$2")" || true)
expected=$(printf '%s\n' _DoubleCtoRealPascal _RealPascalToDoubleC | sort)
if [ "$taken" != "$expected" ]; then
    printf 'the program takes from the library:\n%s\nexpected:\n%s\n' "$taken" "$expected"
    exit 1
fi
echo "the program takes exactly:" $taken
