# Thin front for CMake: `make` builds, `make test` runs every test, `make run`
# starts the viewer, `make bench` runs the benchmarks, `make distclean` removes
# the build folder.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo

.PHONY: all build test run bench distclean

all: build

$(BUILD)/CMakeCache.txt:
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: $(BUILD)/CMakeCache.txt
	@cmake --build $(BUILD) -j2

test: build
	@cd $(BUILD) && ctest --output-on-failure -j2

bench: build
	@bash scripts/bench.sh

run: build
	./$(BUILD)/tarnwick

distclean:
	rm -rf $(BUILD)
