#!/bin/sh
# The shared library must export exactly the names of exports.txt: nothing
# missing, nothing of ours besides, and the SONAME must carry the major version.
set -eu
lib=$1
list=$2
want=$(grep -v '^[[:space:]]*#' "$list" | grep -v '^[[:space:]]*$' | sort)
have=$(nm -D --defined-only "$lib" | awk '{print $NF}' | sort)
if [ "$want" != "$have" ]; then
    echo "export table differs from $list"
    echo "--- expected"; echo "$want"
    echo "--- exported"; echo "$have"
    exit 1
fi
soname=$(objdump -p "$lib" | awk '$1 == "SONAME" {print $2}')
case "$soname" in
    libquorvex.so.[0-9]*) ;;
    *) echo "SONAME '$soname' carries no major version"; exit 1 ;;
esac
echo "exports match: $(echo "$have" | wc -l) names, SONAME $soname"
