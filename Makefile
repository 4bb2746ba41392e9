# The two commands of the README, plus a few conveniences. Everything goes
# through scripts/bootstrap first, so a fresh Debian machine needs nothing else.
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?=
SOAK_KILLS ?= 10000
SOAK_SECONDS ?= 60
SOAK_WRITERS ?= 4
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all bootstrap configure build test test-asan fuzz soak run screenshots clean

all: build

bootstrap:
	@scripts/bootstrap

$(BUILD)/CMakeCache.txt: | bootstrap
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: bootstrap $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: bootstrap
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DKIVORA_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

# Each fuzz target (all, or those named in FUZZ_TARGETS) for FUZZ_SECONDS,
# built by clang under ASan and UBSan in a tree of its own; see fuzz/run.
fuzz: bootstrap
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DKIVORA_FUZZ=ON -DKIVORA_BUILD_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz-targets
	fuzz/run $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# The stores' crash and concurrency tests at scale: SOAK_KILLS writers
# killed per store, SOAK_WRITERS writers at once for SOAK_SECONDS.
soak: build
	KIVORA_SOAK_KILLS=$(SOAK_KILLS) KIVORA_SOAK_SECONDS=$(SOAK_SECONDS) KIVORA_SOAK_WRITERS=$(SOAK_WRITERS) \
	  XDG_DATA_HOME=$(CURDIR)/$(BUILD)/test-xdg-data $(BUILD)/tests/soak_tests

run: build
	$(BUILD)/bin/kivora

# Every dialog, and a message box of each icon, as docs/screenshots/*.png.
screenshots: build
	mkdir -p docs/screenshots
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/kivora-screenshots docs/screenshots

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
