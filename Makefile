# SPDX-License-Identifier: GPL-3.0-or-later
# Korund: the two commands of the README and a few more.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
# WERROR=ON: a compiler warning fails the build (KORUND_WERROR).
WERROR     ?= OFF
PREFIX     ?= /usr/local

.PHONY: all bootstrap build test test-asan run install bench fuzz clean

all: build

bootstrap:
	@scripts/bootstrap

$(BUILD)/CMakeCache.txt: | bootstrap
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DKORUND_WERROR=$(WERROR) $(CMAKE_ARGS)

build: bootstrap $(BUILD)/CMakeCache.txt
	@grep -qx 'KORUND_WERROR:BOOL=$(WERROR)' $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DKORUND_WERROR=$(WERROR)
	cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

test-asan: bootstrap
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKORUND_SANITIZE=ON -DKORUND_BUILD_BENCH=OFF \
	  -DKORUND_WERROR=$(WERROR) $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j$(JOBS)

run: build
	@scripts/run $(BUILD)

# Installs into PREFIX (DESTDIR, when set, is put in front, for packaging).
install: build
	cmake --install $(BUILD) --prefix $(abspath $(PREFIX))

bench: build
	@scripts/bench $(BUILD)

# Runs each fuzz target (or those of FUZZ_KINDS: formula, library, settings)
# for FUZZ_SECONDS (clang's libFuzzer, with ASan and UBSan).
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_KINDS   ?=
fuzz: bootstrap
	@scripts/bootstrap clang libclang-rt-14-dev
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORUND_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j$(JOBS)
	@scripts/fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_KINDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
