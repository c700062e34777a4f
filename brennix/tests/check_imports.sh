#!/bin/sh
# The names the program leaves undefined and our library defines must be
# exactly the two 6-byte real conversions.
set -eu
program=$1
library=$2
ours=$(nm -D --defined-only "$library" | awk '{print $NF}' | sed 's/@.*//')
wanted=$(nm -D --undefined-only "$program" | awk '{print $NF}' | sed 's/@.*//')
taken=$(for name in $wanted; do
            if printf '%s\n' "$ours" | grep -Fxq "$name"; then echo "$name"; fi
        done | sort)
expected=$(printf '%s\n' _DoubleCtoRealPascal _RealPascalToDoubleC | sort)
if [ "$taken" != "$expected" ]; then
    echo "the program takes from the library:"; echo "$taken"
    echo "expected:"; echo "$expected"
    exit 1
fi
echo "the program takes exactly:" $taken
