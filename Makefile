# The two commands of the README: `make run` and `make test`. Each one installs what is
# missing, configures and builds before doing its job.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps configure build build-demo run test bench package fuzz-long clean

all: build

deps:
	./scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOSTRIVO_WERROR=ON $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The demo needs the program and its assets only, not the tests and benchmarks.
build-demo: configure
	cmake --build $(BUILD) -j $(JOBS) --target ostrivo-report demo

run: build-demo
	cd $(BUILD)/demo && ../src/ostrivo-report print demo.vn3 --output catering.pdf --values "01/01/2024,31/12/2025,"
	@echo "The demo report is in $(BUILD)/demo/catering.pdf"

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --output-junit ctest-results.xml

bench: build
	./scripts/run-benchmarks $(BUILD)

package: build
	cd $(BUILD) && cpack -G DEB
	@echo "The package is $$(ls $(BUILD)/ostrivo-report_*_amd64.deb)"

# Each libFuzzer target for FUZZ_SECONDS (10 minutes), growing and keeping its corpus in
# fuzz/corpus/, from which CI's short runs start. Builds with clang in build-fuzz.
FUZZ_SECONDS ?= 600
fuzz-long: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DOSTRIVO_FUZZ=ON -DOSTRIVO_BENCH=OFF
	cmake --build build-fuzz -j $(JOBS) --target fuzz_all
	./scripts/fuzz-long build-fuzz $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD)
