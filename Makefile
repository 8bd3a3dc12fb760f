# Thin wrappers over scripts/install-deps, CMake and CTest.
PRESET ?= release
BUILD := build/$(PRESET)
JOBS ?= $(shell nproc)

.PHONY: deps configure build test asan-cli run bench fuzz soak clean

deps:
	scripts/install-deps

configure: deps
	cmake --preset $(PRESET) >/dev/null

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build asan-cli
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 900

# The runner with AddressSanitizer and UndefinedBehaviorSanitizer, for the soak tests.
asan-cli: deps
	cmake --preset asan -DVIVARION_BUILD_APP=OFF -DVIVARION_BUILD_TESTS=OFF >/dev/null
	cmake --build build/asan --target vivarion-cli -j $(JOBS)

run: build
	$(BUILD)/src/app/vivarion $(ARGS)

bench: deps
	cmake --preset bench >/dev/null
	cmake --build build/bench -j $(JOBS)
	build/bench/bench/vivarion_bench $(BENCH_ARGS)

fuzz:
	VIVARION_WITH_FUZZ=1 scripts/install-deps
	scripts/fuzz $(FUZZ_SECONDS)

soak: asan-cli
	scripts/soak $(if $(SOAK_STEPS),--steps $(SOAK_STEPS))

clean:
	rm -rf build
