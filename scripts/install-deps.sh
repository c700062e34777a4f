#!/bin/sh
# Installs the Debian packages that the named make targets need, and only
# those, when they are missing.  Run it as root once; everything after it
# (make run, make test, ...) runs as an ordinary user.
#   install-deps.sh [TARGET...]   targets: run test fuzz windows bench, or
#                                 all; without one: run and test
# As an ordinary user it only names what is missing.  To give a new target
# its packages, add a line for it to packages_for.
set -eu

packages_for() {
    case $1 in
        # The library and Brennix: a C++ compiler, CMake and make.
        run) echo g++ cmake make ;;
        # The test suites: GoogleTest, PROJ for the engine's cross-checks,
        # pkg-config for the install test's consumer build; the quorvex
        # program's cairo (the legend's drawing and text), libpng (its
        # pictures), a font for the legend and nlohmann-json (its JSON
        # output); the GDAL plugin driver, with GDAL's programs and its
        # bindings for the system's Python and rasterio on them.
        test) echo g++ cmake make pkg-config libgtest-dev libproj-dev \
                   libcairo2-dev libpng-dev fonts-dejavu-core nlohmann-json3-dev \
                   gdal-bin libgdal-dev python3-gdal python3-rasterio ;;
        # libFuzzer comes with clang's runtime libraries; the area reader
        # parses with nlohmann-json.
        fuzz) echo clang libclang-rt-dev cmake make nlohmann-json3-dev ;;
        # Cross compilers, Wine to run the 64-bit tests, GoogleTest's
        # sources to build it for Windows, and the 32-bit x86 Linux build
        # with QEMU's user-mode emulation to run it.
        windows) echo cmake make binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 \
                      g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix \
                      libgtest-dev wine64 g++-multilib qemu-user ;;
        # The engine against PROJ, and Brennix against cp (a python3 script).
        bench) echo g++ cmake make pkg-config libbenchmark-dev libproj-dev python3 ;;
        *) return 1 ;;
    esac
}
all_targets="run test fuzz windows bench"

[ $# -gt 0 ] || set -- run test
[ "$*" = all ] && set -- $all_targets
wanted=""
for target in "$@"; do
    if ! list=$(packages_for "$target"); then
        echo "install-deps.sh: unknown target '$target' (known: $all_targets, all)" >&2
        exit 2
    fi
    wanted="$wanted $list"
done

missing=""
for p in $(printf '%s\n' $wanted | sort -u); do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
        missing="$missing $p"
done
if [ -z "$missing" ]; then
    echo "packages for $*: all installed"
    exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "packages for $* missing:$missing" >&2
    echo "install them as root: sudo sh scripts/install-deps.sh $*" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing
