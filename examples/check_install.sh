#!/bin/sh
# Installs the build tree into a fresh prefix and builds the C example
# against the installed header and library both ways a consumer would.
set -eu
build=$1
examples=$2
cc=$3
cmake=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

"$cmake" --install "$build" --prefix "$prefix" >/dev/null
libdir=$(dirname "$(find "$prefix" -name quorvex.pc)")/..
for f in include/quorvex/quorvex.h; do
    test -f "$prefix/$f" || { echo "missing $f"; exit 1; }
done
real=$(ls "$libdir"/libquorvex.so.*.*.* 2>/dev/null | head -n 1)
test -n "$real" || { echo "no versioned library installed"; exit 1; }
test -L "$libdir/libquorvex.so" || { echo "no development link"; exit 1; }

expected="200 x 100 pixels, IDA type 200, physical = 0.5 * byte + -10"

# pkg-config
export PKG_CONFIG_PATH="$libdir/pkgconfig"
"$cc" -std=c99 -Wall -Wextra -Wpedantic -Werror \
    $(pkg-config --cflags quorvex) "$examples/read_header.c" \
    $(pkg-config --libs quorvex) -o "$work/by_pkgconfig"
got=$(LD_LIBRARY_PATH="$libdir" "$work/by_pkgconfig")
test "$got" = "$expected" || { echo "pkg-config build printed: $got"; exit 1; }

# find_package
"$cmake" -S "$examples/consumer" -B "$work/consumer" \
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_C_COMPILER="$cc" >/dev/null
"$cmake" --build "$work/consumer" >/dev/null
got=$("$work/consumer/read_header")
test "$got" = "$expected" || { echo "find_package build printed: $got"; exit 1; }
echo "installed package builds both ways"
