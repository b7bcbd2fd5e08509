# make run   sets up, builds and starts the program.
# make test  sets up, builds and runs the whole test suite.
BUILD ?= build
TSAN_BUILD ?= build-tsan
JOBS ?= $(shell nproc)

.PHONY: run test setup build tsan-test bench clean

setup:
	@bash scripts/setup.sh

build: setup
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@$(BUILD)/bin/vantrelo

test: build
	@bash scripts/setup.sh --tests
	@ctest --test-dir $(BUILD) -j $(JOBS) --output-on-failure --timeout 300
	@$(MAKE) --no-print-directory tsan-test

# The worker pool and its primitives under ThreadSanitizer.
tsan-test: setup
	@cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVANTRELO_TSAN=ON -DVANTRELO_WITH_VIEW=OFF >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS) --target test_worker_pool test_platform_sync
	@TSAN_OPTIONS=halt_on_error=1 ctest --test-dir $(TSAN_BUILD) -j $(JOBS) --output-on-failure --timeout 300 -R '^WorkerPool|^CompletionPort|^Event|^Thread'

bench: build
	@$(BUILD)/bin/vantrelo_road_bench

clean:
	rm -rf $(BUILD) $(TSAN_BUILD)
