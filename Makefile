# Thin wrappers over scripts/install-deps and the CMake presets (CMakePresets.json).
PRESET ?= release
BUILD := build/$(PRESET)
JOBS ?= $(shell nproc)

.PHONY: deps deps-run deps-test deps-web configure build test check sanitized clang web run bench bench-compare fuzz soak clean package install

# The packages each command needs (scripts/install-deps names the tiers): make run and make build
# install only the desktop program's, make test adds its checks' tools, make check everything.
deps:
	scripts/install-deps check

deps-run:
	scripts/install-deps run

deps-test:
	scripts/install-deps test

deps-web:
	scripts/install-deps web

configure: deps-run
	cmake --preset $(PRESET) >/dev/null

build: configure
	cmake --build --preset $(PRESET) -j $(JOBS)

# The release tree's unit and end-to-end tests and the format and layer checks (CTest labels
# unit, e2e and lint). The quick loop while working: ctest --preset release -L unit.
test: deps-test build
	ctest --preset $(PRESET) -j $(JOBS) -L 'unit|e2e|lint'

# Everything CI runs: make test, then the release tree's slow tests (a soak of the sanitized
# runner, its worlds against this build's), every test of the tree built with the sanitizers,
# the clang tree's (warnings as errors, clang-tidy, its runner against the sanitized one) but
# the soak the release tree ran, the page in a browser, and the agents' server driven by the MCP SDK.
check: deps test sanitized clang web
	ctest --preset $(PRESET) -j $(JOBS) -L slow
	ctest --preset asan -j $(JOBS)
	ctest --preset clang -j $(JOBS) -E '^short_soak$$'
	/usr/bin/python3 tests/web_page.py build/web/site $(BUILD)/src/cli/vivarion-cli VIVARION.ini population.ini
	tests/mcp/run-client-test $(BUILD)

# The page in build/web/site, which any static web server serves: the core compiled to
# WebAssembly by Emscripten, with zstd and pugixml from Debian's sources (scripts/web-deps).
web: deps-web
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
package: deps-test build
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

bench: deps-test
	cmake --preset bench >/dev/null
	cmake --build --preset bench -j $(JOBS)
	build/bench/bench/vivarion_bench --benchmark_out=build/bench/results.json --benchmark_out_format=json $(BENCH_ARGS)
	@scripts/bench-table build/bench/results.json || true
	@if [ -d build/bench/src/python ]; then /usr/bin/python3 bench/python_bench.py --module build/bench/src/python; fi

# A new benchmark run against the baselines committed in bench/results/.
bench-compare: deps-test
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
