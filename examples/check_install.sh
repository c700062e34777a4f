#!/bin/sh
# Installs the build tree into a fresh prefix and checks the installed tree
# as a user of it would: every file in place under the version of the public
# header, the C example built against it both ways a consumer would, the
# README's example built with the README's pkg-config recipe and run without
# help from the environment, and the installed Brennix run on the sample.
# Usage: check_install.sh BUILD SOURCE CC CMAKE
set -eu
build=$1
source=$2
cc=$3
cmake=$4
examples=$source/examples
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "$*"; exit 1; }

"$cmake" --install "$build" --prefix "$prefix" >/dev/null
version=$(sed -n 's/^#define QUORVEX_VERSION "\(.*\)"$/\1/p' "$source/quorvex/include/quorvex/quorvex.h")
[ -n "$version" ] || fail "no QUORVEX_VERSION in the public header"
libdir=$(dirname "$(find "$prefix" -name quorvex.pc)")/..
for f in include/quorvex/quorvex.h bin/brennix share/man/man1/brennix.1; do
    test -f "$prefix/$f" || fail "missing $f"
done
for f in "libquorvex.so.$version" pkgconfig/quorvex.pc cmake/quorvex/quorvexConfig.cmake; do
    test -f "$libdir/$f" || fail "missing $f in the library folder"
done
test -L "$libdir/libquorvex.so" || fail "no development link"
test -L "$libdir/libquorvex.so.${version%%.*}" || fail "no link under the SONAME"
cmp -s "$prefix/share/man/man1/brennix.1" "$source/brennix/brennix.1" || fail "man page differs"

export PKG_CONFIG_PATH="$libdir/pkgconfig"
got=$(pkg-config --modversion quorvex)
[ "$got" = "$version" ] || fail "pkg-config says version $got, the header $version"
grep -q "PACKAGE_VERSION \"$version\"" "$libdir/cmake/quorvex/quorvexConfigVersion.cmake" ||
    fail "the CMake package has another version than $version"

expected="200 x 100 pixels, IDA type 200, physical = 0.5 * byte + -10"

# pkg-config
"$cc" -std=c99 -Wall -Wextra -Wpedantic -Werror \
    $(pkg-config --cflags quorvex) "$examples/read_header.c" \
    $(pkg-config --libs quorvex) -o "$work/by_pkgconfig"
got=$(LD_LIBRARY_PATH="$libdir" "$work/by_pkgconfig")
test "$got" = "$expected" || fail "pkg-config build printed: $got"

# find_package
"$cmake" -S "$examples/consumer" -B "$work/consumer" \
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_C_COMPILER="$cc" >/dev/null
"$cmake" --build "$work/consumer" >/dev/null
got=$("$work/consumer/read_header")
test "$got" = "$expected" || fail "find_package build printed: $got"

# The README's example as printed there, with the library's folder recorded
# in the program as the README says.
sed -n '/^```c$/,/^```$/p' "$source/README.md" | sed '1d;$d' >"$work/readme.c"
"$cc" -std=c99 -Wall -Wextra -Wpedantic -Werror "$work/readme.c" \
    $(pkg-config --cflags --libs quorvex) \
    -Wl,-rpath,"$(pkg-config --variable=libdir quorvex)" -o "$work/readme"
got=$(env -u LD_LIBRARY_PATH "$work/readme" "$source/samples/ndvi_512.ida")
test "$got" = "512 x 512 pixels, physical = 0.4 * byte + -10" ||
    fail "the README's example printed: $got"

# The installed program finds the installed library by itself.  It works on
# a copy of the sample: a faulty build must not write over the committed file.
cp "$source/samples/ndvi_512.ida" "$work/in.ida"
(cd "$work" && env -u LD_LIBRARY_PATH "$prefix/bin/brennix" \
    in.ida out.ida 0.35 -5 out.log out.clr </dev/null >/dev/null) ||
    fail "the installed brennix failed"
test -f "$work/OUT.CLR" || fail "the installed brennix wrote no colour file"
echo "installed tree complete (version $version) and usable both ways"
