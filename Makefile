# Thin front for CMake: `make` builds everything, `make test` runs every test,
# `make check` the quick loop (the unit tests as built and at -O3, the
# desktop's replay and the page's cases in Chromium: ctest's label "check"),
# `make run` builds and starts the viewer alone, `make package` builds the
# Debian package in build-deb/, `make web` the web page in build-web/,
# `make bench` runs the benchmarks, `make soak` drives the sanitized viewer at
# random for ten minutes and `make soak-web` the web page in Chromium,
# `make distclean` removes the build folders.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo

.PHONY: all build configure test check run package web bench soak soak-web distclean

all: build

# Configures every time (a second or so): packages installed since the last
# build bring in the tests and benchmarks they enable.
# WERROR=ON turns warnings into errors (the test run does in CI).
configure:
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
		$(if $(WERROR),-DTARNWICK_WARNINGS_AS_ERRORS=$(WERROR)) >/dev/null

build: configure
	@cmake --build $(BUILD) -j2

test: build
	@cd $(BUILD) && ctest --output-on-failure -j3

check: build web
	@cd $(BUILD) && ctest --output-on-failure -j2 -L check

bench:
	@bash scripts/bench.sh

package:
	@bash scripts/package.sh

web:
	@bash scripts/web.sh --build-only

# The soak for SOAK_SECONDS (default ten minutes) against the sanitized viewer.
SOAK_SECONDS ?= 600
soak: build
	@TARNWICK_SOAK_SECONDS=$(SOAK_SECONDS) TARNWICK_VIEWER=$(CURDIR)/$(BUILD)/tarnwick_sanitized \
		ASAN_OPTIONS=quarantine_size_mb=16 TARNWICK_PATIENCE=4 ./$(BUILD)/tests/viewer_e2e_tests \
		--gtest_also_run_disabled_tests --gtest_filter=ViewerTest.DISABLED_RandomUseLeavesTheViewerHealthy

run: configure
	@cmake --build $(BUILD) -j2 --target tarnwick
	./$(BUILD)/tarnwick

distclean:
	rm -rf $(BUILD) build-deb build-web

# The web page's soak in Chromium for SOAK_SECONDS (default ten minutes).
soak-web: web
	@TARNWICK_WEB_SOAK_SECONDS=$(SOAK_SECONDS) node tests/web/web_test.mjs chromium build-web $(BUILD)/web-tests soak
