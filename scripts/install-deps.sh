#!/bin/sh
# Installs the Debian packages the build and the tests need, but only those
# missing, and only when run as root; otherwise it names what is missing.
#   install-deps.sh           the native build and its tests
#   install-deps.sh windows   the Windows cross builds and Wine to run them
set -eu
packages="
build-essential
cmake
pkg-config
libgtest-dev
libgmock-dev
libbenchmark-dev
libproj-dev
proj-bin
clang
libclang-rt-14-dev
"
# The GDAL plugin driver and its tests (GDAL's programs and its bindings for
# the system's Python).
packages="$packages
gdal-bin
libgdal-dev
python3-gdal
"
if [ "${1:-}" = windows ]; then
    packages="
cmake
binutils-mingw-w64-i686
binutils-mingw-w64-x86-64
g++-mingw-w64-i686-posix
g++-mingw-w64-x86-64-posix
libgtest-dev
wine64
"
fi
# The quorvex program: cairo for its pictures and legend text, a font for
# the legend, nlohmann-json for its JSON output.
if [ "${1:-}" != windows ]; then
    packages="$packages
libcairo2-dev
fonts-dejavu-core
nlohmann-json3-dev
"
fi
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
        missing="$missing $p"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages:$missing (run as root to install them)" >&2
    exit 0
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends $missing
