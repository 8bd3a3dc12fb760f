# Thin wrappers over scripts/install-deps, CMake and CTest.
PRESET ?= release
BUILD := build/$(PRESET)
JOBS ?= $(shell nproc)

.PHONY: deps configure build test sanitized run bench fuzz soak clean

deps:
	scripts/install-deps

configure: deps
	cmake --preset $(PRESET) >/dev/null

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Every test twice: built with AddressSanitizer and UndefinedBehaviorSanitizer, then optimised
# (whose tests also run the sanitized runner for a soak and compare its worlds with their own).
test: build sanitized
	cd build/asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 900
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 900

sanitized: deps
	cmake --preset asan >/dev/null
	cmake --build build/asan -j $(JOBS)

run: build
	$(BUILD)/src/app/vivarion $(ARGS)

bench: deps
	cmake --preset bench >/dev/null
	cmake --build build/bench -j $(JOBS)
	build/bench/bench/vivarion_bench $(BENCH_ARGS)

fuzz:
	VIVARION_WITH_FUZZ=1 scripts/install-deps
	scripts/fuzz $(FUZZ_SECONDS)

soak: sanitized
	scripts/soak $(if $(SOAK_STEPS),--steps $(SOAK_STEPS))

clean:
	rm -rf build
