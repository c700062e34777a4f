# Thin front of the CMake build.  Packages first, once, as root:
#   sudo make deps          the Debian packages of make run and make test
#   sudo make deps-TARGET   those of one target (deps-run, deps-test,
#                           deps-fuzz, deps-windows, deps-bench, deps-all)
# then everything else as an ordinary user:
#   make run     builds only the library and Brennix, quietly, and runs
#                Brennix on the bundled sample image
#   make test    builds everything and runs every test
#   make install installs the library, its header and packages, Brennix and
#                its man page (PREFIX=/some/where, default /usr/local)
#   make fuzz    builds the fuzz targets with clang and runs each for
#                FUZZ_SECONDS (CI runs them for 60 s)
#   make windows        cross-builds QUORVEX.dll and Brennix.exe for 32-bit
#                       x86 Windows into out/win32 and checks their tables
#   make windows-test   runs the test suites as 32-bit x86 programs (under
#                       emulation) and as 64-bit Windows programs (under
#                       Wine), each compared with the native build
BUILD ?= build
JOBS ?= 2
CMAKE_ARGS ?=
FUZZ_SECONDS ?= 600
PREFIX ?=

.PHONY: all build test program run install deps bench fuzz clean windows windows-test

all: build

deps:
	@sh scripts/install-deps.sh run test

deps-%:
	@sh scripts/install-deps.sh $*

build:
	cmake -S . -B $(BUILD) $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure --no-tests=error -j $(JOBS)

# The library and Brennix alone.  The build's own lines go to a log, shown
# only when something fails; an existing build tree is not configured
# again (the build step does that itself when a CMakeLists.txt changed).
# The log is made anew each time, so one left by `sudo make install` does
# not stand in the way.
PROGRAM_LOG = $(BUILD)/program-build.log
program:
	@mkdir -p $(BUILD) && rm -f $(PROGRAM_LOG)
	@echo "Building QUORVEX and Brennix in $(BUILD)/ ..."
	@{ [ -f $(BUILD)/CMakeCache.txt ] || cmake -S . -B $(BUILD) $(CMAKE_ARGS); } \
	    >$(PROGRAM_LOG) 2>&1 && \
	  cmake --build $(BUILD) -j $(JOBS) --target brennix >>$(PROGRAM_LOG) 2>&1 || \
	  { cat $(PROGRAM_LOG); echo "make: the build failed (log: $(PROGRAM_LOG))" >&2; exit 1; }

run: program
	@sh scripts/run-sample.sh $(BUILD)

install: program
	cmake --install $(BUILD) $(if $(PREFIX),--prefix $(PREFIX))

bench:
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DQUORVEX_BENCH=ON $(CMAKE_ARGS)
	cmake --build $(BUILD)-bench -j $(JOBS)

fuzz:
	cmake -S fuzz -B $(BUILD)-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  $(CMAKE_ARGS)
	cmake --build $(BUILD)-fuzz -j $(JOBS)
	sh fuzz/run.sh $(BUILD)-fuzz $(FUZZ_SECONDS)

windows:
	cmake -S . -B $(BUILD)-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	  -DCMAKE_BUILD_TYPE=Release $(CMAKE_ARGS)
	cmake --build $(BUILD)-win32 -j $(JOBS)
	ctest --test-dir $(BUILD)-win32 --output-on-failure
	mkdir -p out/win32
	cp $(BUILD)-win32/quorvex/QUORVEX.dll $(BUILD)-win32/brennix/Brennix.exe out/win32/

# The suites as 32-bit x86 programs: a Linux build with the code generation
# of the Windows deliverables (cmake/linux-i686.cmake), run under user-mode
# emulation, since 32-bit Wine needs a processor mode that machines like
# CI's do not offer; then the suites as 64-bit Windows programs under Wine.
# Both builds are compared with the native build: the export cases and
# Brennix's golden runs give the same bytes (scripts/compare-builds.sh).
# Every Wine run shares one prefix, created before the tests start so that
# parallel tests do not race to create it.
WINEPREFIX_DIR = $(abspath $(BUILD)-win64)/wineprefix
REFERENCE = -DQUORVEX_REFERENCE_BUILD=$(abspath $(BUILD))
windows-test:
	cmake -S . -B $(BUILD) $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS) --target quorvex brennix export_cases
	cmake -S . -B $(BUILD)-i686 -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i686.cmake \
	  -DCMAKE_BUILD_TYPE=Release $(REFERENCE) $(CMAKE_ARGS)
	cmake --build $(BUILD)-i686 -j $(JOBS)
	ctest --test-dir $(BUILD)-i686 --output-on-failure -j $(JOBS)
	cmake -S . -B $(BUILD)-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release $(REFERENCE) $(CMAKE_ARGS)
	cmake --build $(BUILD)-win64 -j $(JOBS)
	QUORVEX_WINEPREFIX=$(WINEPREFIX_DIR) sh scripts/wine-run.sh cmd /c exit
	QUORVEX_WINEPREFIX=$(WINEPREFIX_DIR) \
	  ctest --test-dir $(BUILD)-win64 --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) $(BUILD)-bench $(BUILD)-asan $(BUILD)-fuzz $(BUILD)-win32 $(BUILD)-win64 $(BUILD)-i686 out
