# The two commands of the README, plus the longer runs that get targets of their own.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: run run-lite test test-sanitize test-thread test-valgrind test-platforms test-windows test-fresh fuzz bench bench-windows install package test-packages package-windows deps build clean web web-serve test-web bench-web web-screenshots

run: build
	@if [ -z "$$DISPLAY" ]; then echo "make run: no display (DISPLAY is not set); wubble-scope needs an X server" >&2; exit 1; fi
	$(BUILD_DIR)/app/wubble-scope

run-lite: build
	@if [ -z "$$DISPLAY" ]; then echo "make run-lite: no display (DISPLAY is not set); wubble-lite needs an X server" >&2; exit 1; fi
	$(BUILD_DIR)/app/wubble-lite

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# BENCH_REPETITIONS sets how many times each case runs (median reported); the
# runs of all cases are interleaved in random order, so that a machine that
# speeds up or slows down during the run moves before and after alike.
# Then wubble-render --batch on 1,000 sounds with -j 1 and -j of the
# processors, and wubble-scope's peak resident memory over 200
# regenerations, measured with /usr/bin/time -v on a private X server.
BENCH_REPETITIONS ?= 7
bench: build
	$(BUILD_DIR)/bench/wubble_bench --benchmark_repetitions=$(BENCH_REPETITIONS) \
	  --benchmark_enable_random_interleaving=true \
	  --benchmark_report_aggregates_only=true --benchmark_format=json \
	  > $(BUILD_DIR)/bench.json
	@python3 bench/report.py $(BUILD_DIR)/bench.json
	@python3 bench/batch_bench.py $(BUILD_DIR)/tools/wubble-render $(BUILD_DIR)/bench-batch 1000
	@python3 bench/scope_memory.py $(BUILD_DIR)/app/wubble-scope tests/app/openbox-rc.xml 200

# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer,
# any report fatal. Left out: the install test, whose examples are plain
# compiler commands that cannot link the sanitized archives, and the
# subproject test, a plain build of its own.
SAN_DIR ?= build-san
SAN_EXCLUDE ?= ^library\.(InstallAndBuildExamples|BuildAsSubproject)$$
test-sanitize: deps
	cmake -S . -B $(SAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWUBBLE_SANITIZE=ON
	cmake --build $(SAN_DIR) -j $(JOBS)
	cd $(SAN_DIR) && ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:detect_stack_use_after_return=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizer/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS) -E '$(SAN_EXCLUDE)'

# The tests that render on several threads at once (generators of their own,
# the batch of wubble-render) and the generator tests, built with
# ThreadSanitizer in a folder of their own; any report fails the run.
TSAN_DIR ?= build-tsan
TSAN_TARGETS ?= generator_tests library_thread_tests render_tests wubble-render
TSAN_TESTS ?= ^(generator\.|library\.Threads\.|tools\.)
test-thread: deps
	cmake -S . -B $(TSAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWUBBLE_TSAN=ON
	cmake --build $(TSAN_DIR) -j $(JOBS) --target $(TSAN_TARGETS)
	cd $(TSAN_DIR) && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	  ctest --output-on-failure -j $(JOBS) -R '$(TSAN_TESTS)' -E 'OptimiserChangesNoBit|NOT_BUILT'

# The generator and sound tests of the ordinary build under valgrind.
test-valgrind: build
	scripts/run-valgrind $(BUILD_DIR) generator. sound.

# The generator and its tests cross-built for each platform of
# PLATFORMS and run there (qemu-user, wine, node), with the hashes of 1000
# sounds compared with this build's: see scripts/test-platforms. The cross
# toolchains are installed by scripts/install-platform-deps, not by deps.
PLATFORMS_DIR ?= build-platforms
PLATFORMS ?= i686 aarch64 armhf s390x mingw-x64 wasm
test-platforms: build
	@scripts/install-platform-deps
	JOBS=$(JOBS) scripts/test-platforms $(BUILD_DIR) $(PLATFORMS_DIR) $(PLATFORMS)

# wubble-scope, wubble-lite, wubble-render and the DLLs cross-built for
# Windows and tested under wine, in a session of their own (Xvfb, openbox,
# a PulseAudio null sink): see scripts/test-windows. The programs are driven
# from this machine's build, so it comes first.
WINDOWS_DIR ?= build-windows
test-windows: build
	@scripts/install-platform-deps windows
	JOBS=$(JOBS) scripts/test-windows $(BUILD_DIR) $(WINDOWS_DIR)

# The Windows package, $(WINDOWS_DIR)/wubble-<version>-windows-x64.zip.
package-windows:
	@scripts/install-platform-deps windows
	JOBS=$(JOBS) scripts/build-windows $(WINDOWS_DIR)

# Processor time of the idle programs over 10 s after the start-up sound:
# wubble-scope.exe and wubble-lite.exe under wine beside this machine's
# wubble-scope, in one session (bench/windows_idle.py).
bench-windows: build
	@scripts/install-platform-deps windows
	JOBS=$(JOBS) scripts/build-windows $(WINDOWS_DIR)
	@scripts/windows-session $(WINDOWS_DIR) python3 bench/windows_idle.py $(BUILD_DIR)/app \
	  $(WINDOWS_DIR)/stage/wubble-*-windows-x64/bin

# The web page and the npm package `wubble`, built with Debian's emscripten
# in WEB_DIR: $(WEB_DIR)/web/site is the page (static files for any server),
# $(WEB_DIR)/web/package the package. web-serve serves the page on
# 127.0.0.1:WEB_PORT. The packages come from scripts/install-web-deps. emcc
# runs node scripts that need Debian's acorn, where a node from elsewhere
# does not look.
WEB_DIR ?= build-web
WEB_PORT ?= 8000
web: deps
	@scripts/install-web-deps
	NODE_PATH=$${NODE_PATH:+$$NODE_PATH:}/usr/share/nodejs cmake -S . -B $(WEB_DIR) -DCMAKE_TOOLCHAIN_FILE=scripts/platforms/wasm.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DWUBBLE_PROGRAMS=OFF -DWUBBLE_PLAYBACK=OFF \
	  -DWUBBLE_RENDER_TOOL=OFF -DWUBBLE_TESTS=OFF -DWUBBLE_WEB=ON -Wno-dev
	NODE_PATH=$${NODE_PATH:+$$NODE_PATH:}/usr/share/nodejs cmake --build $(WEB_DIR) -j $(JOBS) --target wubble_web
	@echo "make web: the page is in $(WEB_DIR)/web/site, the npm package in $(WEB_DIR)/web/package"

web-serve: web
	node web/serve.mjs $(WEB_DIR)/web/site $(WEB_PORT)

# The package and the page against this build: see scripts/test-web.
test-web: build web
	scripts/test-web $(BUILD_DIR) $(WEB_DIR)

# The render in chromium's WebAssembly against the native one for the sounds
# of `make bench`, the page's load time and size, and the scope's work per
# display frame: see bench/web_bench.mjs.
bench-web: build web
	scripts/web-run $(BUILD_DIR) $(WEB_DIR) bench/web_bench.mjs

# docs/wubble-web.png and docs/wubble-web-phone.png, the page at a desktop
# and a phone's size.
web-screenshots: build web
	scripts/web-run $(BUILD_DIR) $(WEB_DIR) tests/web/browser/screenshots.mjs docs

# Each fuzz target for FUZZ_SECONDS, in a clang build of its own.
FUZZ_SECONDS ?= 60
FUZZ_DIR ?= build-fuzz
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWUBBLE_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_targets
	scripts/run-fuzz $(FUZZ_DIR) $(FUZZ_SECONDS)

# The README's set-up on a bare Debian 12 root (debootstrap, as root): see
# scripts/test-fresh. FRESH_TIMEOUT bounds the run in the root.
test-fresh:
	scripts/test-fresh

# The programs, their desktop entries, icon and manual page, and the library.
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# The Debian packages (libwubble0.1, libwubble-generator0.1, libwubble-dev,
# wubble and their -dbgsym), built from debian/ by dpkg-buildpackage in a
# fresh copy of the tree, into $(PACKAGE_DIR): see scripts/build-packages.
# DEB_MAINTAINER="Name <address>" sets their Maintainer.
PACKAGE_DIR ?= $(BUILD_DIR)/packages
package:
	@scripts/install-package-deps
	JOBS=$(JOBS) scripts/build-packages $(PACKAGE_DIR)

# The packages built twice must be the same bytes; lintian, appstreamcli and
# desktop-file-validate must pass them: see scripts/test-packages.
test-packages:
	@scripts/install-package-deps check
	JOBS=$(JOBS) scripts/test-packages $(PACKAGE_DIR)

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD_DIR) -j $(JOBS)

deps:
	@scripts/install-deps

# Every build folder the targets above make (test-fresh keeps its root in
# ~/.cache/wubble-fresh, outside the tree).
clean:
	rm -rf $(BUILD_DIR) $(SAN_DIR) $(TSAN_DIR) $(FUZZ_DIR) $(PLATFORMS_DIR) $(WINDOWS_DIR) $(WEB_DIR)
