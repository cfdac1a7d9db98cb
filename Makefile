# The two commands of the README, plus the longer runs that get targets of their own.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: run test bench deps build clean

run: build
	@if [ -z "$$DISPLAY" ]; then echo "make run: no display (DISPLAY is not set); wubble-scope needs an X server" >&2; exit 1; fi
	$(BUILD_DIR)/app/wubble-scope

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# BENCH_REPETITIONS sets how many times each case runs (median reported).
BENCH_REPETITIONS ?= 7
bench: build
	$(BUILD_DIR)/bench/wubble_bench --benchmark_repetitions=$(BENCH_REPETITIONS) \
	  --benchmark_report_aggregates_only=true --benchmark_format=json \
	  > $(BUILD_DIR)/bench.json
	@python3 bench/report.py $(BUILD_DIR)/bench.json

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD_DIR) -j $(JOBS)

deps:
	@scripts/install-deps

clean:
	rm -rf $(BUILD_DIR)
