# Thin wrappers over scripts/install-deps and the CMake presets (CMakePresets.json).
PRESET ?= release
BUILD := build/$(PRESET)
JOBS ?= $(shell nproc)

.PHONY: deps deps-run configure build test sanitized clang web run bench bench-compare fuzz soak clean package install

# Every package the commands need (make test, CI); make run and make build install only those
# the desktop program and its build need.
deps:
	scripts/install-deps

deps-run:
	scripts/install-deps run

configure: deps-run
	cmake --preset $(PRESET) >/dev/null

build: configure
	cmake --build --preset $(PRESET) -j $(JOBS)

# Every test three times: built with AddressSanitizer and UndefinedBehaviorSanitizer, then
# optimised (whose tests also run the sanitized runner for a soak and compare its worlds with
# their own), then by clang with warnings as errors.
test: sanitized build clang web
	ctest --preset asan -j $(JOBS)
	ctest --preset $(PRESET) -j $(JOBS)
	ctest --preset clang -j $(JOBS)
	/usr/bin/python3 tests/web_page.py build/web/site $(BUILD)/src/cli/vivarion-cli VIVARION.ini population.ini

# The page in build/web/site, which any static web server serves: the core compiled to
# WebAssembly by Emscripten, with zstd and pugixml from Debian's sources (scripts/web-deps).
web: deps
	scripts/web-deps
	cmake --preset web >/dev/null
	cmake --build --preset web -j $(JOBS)

sanitized: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS)

clang: deps
	cmake --preset clang >/dev/null
	cmake --build --preset clang -j $(JOBS)

# The Debian package (build/release/vivarion_VERSION_ARCH.deb), and an installation into
# PREFIX (default /usr/local).
package: deps build
	cd $(BUILD) && cpack -G DEB

PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The program runs in a working folder of its own (build/run), so that the species S saves
# stay out of the repository's samples; the samples are copied there once, and the settings
# it reads are the repository's VIVARION.ini (linked beside the programs by the build).
SAMPLES := $(wildcard animals/*.viv)
run: build
	mkdir -p build/run/animals
	cp -n $(SAMPLES) build/run/animals/
	cd build/run && ../../$(BUILD)/src/app/vivarion $(ARGS)

bench: deps
	cmake --preset bench >/dev/null
	cmake --build --preset bench -j $(JOBS)
	build/bench/bench/vivarion_bench --benchmark_out=build/bench/results.json --benchmark_out_format=json $(BENCH_ARGS)
	@scripts/bench-table build/bench/results.json || true
	@if [ -d build/bench/src/python ]; then /usr/bin/python3 bench/python_bench.py --module build/bench/src/python; fi

# A new benchmark run against the baselines committed in bench/results/.
bench-compare: deps
	cmake --preset bench >/dev/null
	cmake --build --preset bench -j $(JOBS)
	scripts/bench-compare $(BENCH_ARGS)

fuzz:
	VIVARION_WITH_FUZZ=1 scripts/install-deps
	scripts/fuzz $(FUZZ_SECONDS)

soak: sanitized
	scripts/soak $(if $(SOAK_STEPS),--steps $(SOAK_STEPS))

clean:
	rm -rf build
