# The two commands of the README: `make run` and `make test`.
# Both install missing system packages, configure and build first.

BUILD ?= build
FUZZ_BUILD ?= build-fuzz
SANITIZE_BUILD ?= build-sanitize
FUZZ_SECONDS ?= 60
FUZZ_RUNS ?=
SOAK_SWEEPS ?= 500
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run demo test soak bench fuzz sanitize package clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/build.ninja: CMakeLists.txt | deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Opens the main window on the built-in virtual Hardware Module.
run: build
	$(BUILD)/src/app/gui/zov --virtual-module

# A capture from the virtual module on the command line, printed as text.
demo: build
	scripts/demo-capture.sh $(BUILD)

# The soak run (label "soak") is left to `make soak`.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE soak

# 500 consecutive sweeps from the virtual module in one process; prints its figures.
soak: build
	cd $(BUILD) && ZOV_SOAK_SWEEPS=$(SOAK_SWEEPS) ctest --output-on-failure -V -L soak

bench: build
	@set -e; for b in $(BUILD)/bench/*/bench_*; do \
	  [ -f "$$b" ] && [ -x "$$b" ] || continue; echo "== $$b"; "$$b" --benchmark_counters_tabular=true; done

# The whole test suite built with clang's AddressSanitizer and
# UndefinedBehaviorSanitizer in its own folder; the first report fails its test.
# -O1 with line tables only: reports keep file and line, and the build, which
# CI runs after `make test` on two cores, takes about a fifth less CPU than
# with -O2 -g.
sanitize: deps
	@scripts/install-deps.sh clang-14 libclang-rt-14-dev
	cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 \
	  -DZOV_SANITIZE=ON -DZOV_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only"
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && ctest --output-on-failure -j $(JOBS)

# A Debian package of the installed program: $(BUILD)/zovograph_VERSION_ARCH.deb.
package: build
	cmake --build $(BUILD) --target package

# libFuzzer targets built with clang; each runs FUZZ_SECONDS seconds, or
# FUZZ_RUNS inputs when that is set (ten times as many for the number helpers).
fuzz:
	@scripts/install-deps.sh clang-14 libclang-rt-14-dev
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 \
	  -DZOV_BUILD_FUZZ=ON -DZOV_BUILD_TESTS=OFF -DZOV_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_BUILD) --target zov_fuzzers -j $(JOBS)
	scripts/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_RUNS)

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD) $(SANITIZE_BUILD)
