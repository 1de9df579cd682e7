# Front doors: `make run` and `make test`. Both install what is missing first.
BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc)
RUN_DIR    ?= $(BUILD)/run

.PHONY: all deps configure build run test clean test-asan fuzz bench install package

all: build

deps:
	@bash scripts/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

configure: $(BUILD)/build.ninja

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ] && [ -z "$$QT_QPA_PLATFORM" ]; then \
	  echo "make run: no display found (DISPLAY is not set); start it under a virtual display with: xvfb-run -a make run"; \
	  exit 1; \
	fi
	@mkdir -p $(RUN_DIR)
	cd $(RUN_DIR) && "$(CURDIR)/$(BUILD)/src/app/tarvex" --demo

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)

# The whole suite with AddressSanitizer and UndefinedBehaviorSanitizer, in a build dir of its own.
# -O1 keeps the instrumented build quick to compile and its stack traces readable. gcc's
# maybe-uninitialized analysis misfires on instrumented code (std::variant moves of QString), so
# that one warning is off here; the normal build still checks it.
ASAN_BUILD ?= build-asan
ASAN_FLAGS := -O1 -g -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined \
  -Wno-maybe-uninitialized
SANITIZER_ENV := ASAN_OPTIONS=detect_stack_use_after_return=1:strict_init_order=1:check_initialization_order=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS="$(ASAN_FLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && $(SANITIZER_ENV) QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# libFuzzer targets built with clang; our libraries carry the fuzzer's coverage hooks, Qt stays
# the system build. Each target runs FUZZ_SECONDS on a corpus kept in $(FUZZ_BUILD)/corpus.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 30
FUZZ_FLAGS   := -O1 -g -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DTARVEX_BUILD_TESTS=OFF -DTARVEX_BUILD_FUZZ=ON \
	  -DCMAKE_CXX_FLAGS="$(FUZZ_FLAGS)"
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target tarvex_fuzz_targets
	@bash fuzz/run-all $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Benchmarks in a Release build of their own; ends with one summary table of the medians.
BENCH_BUILD ?= build-bench

bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DTARVEX_BUILD_TESTS=OFF -DTARVEX_BUILD_BENCH=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	@bash bench/run-benchmarks $(BENCH_BUILD)

# Installs what is built under PREFIX (DESTDIR=... stages it elsewhere, as packagers do).
PREFIX ?= /usr/local

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package of what is built: $(BUILD)/tarvex_VERSION_ARCH.deb.
package: build
	cd $(BUILD) && cpack -G DEB
