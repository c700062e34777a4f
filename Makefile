# Thin front of the CMake build.
#   make run    builds Brennix and runs it on the bundled sample image
#   make test   installs missing packages (as root), builds, runs every test
#   make fuzz   builds the fuzz targets with clang and runs each for
#               FUZZ_SECONDS (CI runs them for 60 s)
BUILD ?= build
JOBS ?= 2
CMAKE_ARGS ?=
FUZZ_SECONDS ?= 600

.PHONY: all build test run deps bench fuzz clean

all: build

deps:
	@sh scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

run: build
	@if [ -x $(BUILD)/brennix/brennix ]; then \
	  sh scripts/run-sample.sh $(BUILD); \
	else \
	  echo "Brennix is not part of this build yet; the library is in $(BUILD)/quorvex"; \
	fi

bench: deps
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DQUORVEX_BENCH=ON $(CMAKE_ARGS)
	cmake --build $(BUILD)-bench -j $(JOBS)

fuzz: deps
	cmake -S fuzz -B $(BUILD)-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(BUILD)-fuzz -j $(JOBS)
	sh fuzz/run.sh $(BUILD)-fuzz $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(BUILD)-bench $(BUILD)-asan $(BUILD)-fuzz out
