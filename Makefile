# The two commands of the README, plus a few conveniences. Everything goes
# through scripts/bootstrap first, so a fresh Debian machine needs nothing else.
BUILD ?= build
ASAN_BUILD ?= build-asan
WINDOWS_BUILD ?= build-windows
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?=
SOAK_KILLS ?= 10000
SOAK_SECONDS ?= 60
SOAK_WRITERS ?= 4
SOAK_MIGRATION_KILLS ?= 200
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
# Our own builds hold our code to warnings as errors.
WERROR = -DKIVORA_WERROR=ON

BENCHMARKS = ras logo startup migration ppp

# The provider whose files a package carries, and where they are.
PROVIDER ?= demo
PROVIDER_DIR ?= $(PROVIDER)
# The package's AppStream and desktop-entry ID: a provider gives its own
# reverse domain name.
APP_ID ?= org.example.kivora.$(PROVIDER)
VERSION := $(shell sed -n 's/^project.Kivora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

.PHONY: all bootstrap configure build provider-files test test-asan bench fuzz soak run demo screenshots package package-test clean
.PHONY: windows windows-test windows-package windows-screenshots

all: build

bootstrap:
	@scripts/bootstrap

$(BUILD)/CMakeCache.txt: | bootstrap
	cmake -S . -B $(BUILD) -G Ninja $(WERROR) $(CMAKE_FLAGS)

configure: bootstrap $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: bootstrap
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DKIVORA_SANITIZE=ON $(WERROR) $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

# Each benchmark against its baseline, run side by side (docs/performance.md);
# figures on the console and as JSON in $(BUILD)/bench/NAME.json. A few
# minutes, so not part of make test.
bench: build
	@set -e; for name in $(BENCHMARKS); do \
	  $(BUILD)/bench/$$name/kivora-bench-$$name --benchmark_counters_tabular=true \
	    --benchmark_out=$(BUILD)/bench/$$name.json --benchmark_out_format=json; \
	done

# Each fuzz target (all, or those named in FUZZ_TARGETS) for FUZZ_SECONDS,
# built by clang under ASan and UBSan in a tree of its own; see fuzz/run.
fuzz: bootstrap
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DKIVORA_FUZZ=ON -DKIVORA_BUILD_TESTS=OFF $(WERROR) $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz-targets
	fuzz/run $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# The stores' crash and concurrency tests at scale: SOAK_KILLS writers
# killed per store, SOAK_WRITERS writers at once for SOAK_SECONDS; then
# SOAK_MIGRATION_KILLS migrations of 200 entries killed and recovered.
soak: build
	KIVORA_SOAK_KILLS=$(SOAK_KILLS) KIVORA_SOAK_SECONDS=$(SOAK_SECONDS) KIVORA_SOAK_WRITERS=$(SOAK_WRITERS) \
	  XDG_DATA_HOME=$(CURDIR)/$(BUILD)/test-xdg-data $(BUILD)/tests/soak_tests
	KIVORA_MIGRATION_KILLS=$(SOAK_MIGRATION_KILLS) XDG_DATA_HOME=$(CURDIR)/$(BUILD)/test-xdg-data \
	  $(BUILD)/tests/e2e_tests --gtest_filter='Recovery.AMigrationKilled*'

# The demo provider's files beside the built program, as a provider ships them.
provider-files: build
	cp demo/*.csv demo/Logo.png $(BUILD)/bin/

run: provider-files
	$(BUILD)/bin/kivora

# Both jobs played by a script on a sample phonebook, headless: what the
# user would see, and every entry before and after.
demo: build
	scripts/demo $(BUILD)

# Every dialog, and a message box of each icon, as docs/screenshots/*.png.
screenshots: provider-files
	mkdir -p docs/screenshots
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/kivora-screenshots docs/screenshots

# The Debian package of one provider's Kivora (packaging/), built by CPack
# from the installed files alone.
package: configure
	cmake -S . -B $(BUILD) -DKIVORA_PROVIDER=$(PROVIDER) -DKIVORA_PROVIDER_DIR=$(abspath $(PROVIDER_DIR)) \
	  -DKIVORA_APP_ID=$(APP_ID)
	cmake --build $(BUILD) -j $(JOBS) --target kivora kivora_rasapi32 kivora-sys kivora-check kivora-package-files
	cd $(BUILD) && cpack -G DEB
	@echo "package: $(BUILD)/kivora-$(PROVIDER)_$(VERSION)_amd64.deb"

# The demo provider's package unpacked and checked (packaging/package-test).
package-test:
	$(MAKE) package PROVIDER=demo PROVIDER_DIR=demo
	packaging/package-test $(BUILD)/kivora-demo_$(VERSION)_amd64.deb demo demo

# The Windows program, cross-built: $(WINDOWS_BUILD)/bin/kivora.exe with the
# demo provider's files beside it.
$(WINDOWS_BUILD)/CMakeCache.txt: | bootstrap
	cmake -S . -B $(WINDOWS_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake $(WERROR) $(CMAKE_FLAGS)

windows: bootstrap $(WINDOWS_BUILD)/CMakeCache.txt
	cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target kivora
	cp demo/*.csv demo/Logo.png $(WINDOWS_BUILD)/bin/

# The Windows build's tests under Wine, in a Wine prefix of the build tree's
# own, made before the tests start so that no two of them race to make it.
# They run on a virtual screen, for the dialog backend's tests; the Wine
# session the build started has none, so it ends first, and each stage runs
# in one session of its own (scripts/with-wine-session). Even so, about one
# run in thirty had one unit-test program end at once without printing a
# line (a different test each time, passing when run again), so a unit test that
# fails is run once more; one that fails twice fails the run. Wine plays a
# Japanese Windows (code page 932), the one Kivora is made for.
WINE_ENV = WINEPREFIX=$(abspath $(WINDOWS_BUILD))/wineprefix WINEDEBUG=-all LC_ALL=ja_JP.UTF-8

# Then the Linux build's end-to-end cases run kivora.exe under Wine with the
# stand-in rasapi32.dll (KIVORA_E2E_WINDOWS), one at a time: the program's
# named mutex and the registry are the Wine session's, shared by every case
# (each case starts from a fresh registry and pretends its Windows version
# through Wine's own settings). Left out: the transcript's POSIX file modes
# and shell redirections.
WINDOWS_E2E_LEFT_OUT = Transcript.*

windows-test: bootstrap $(WINDOWS_BUILD)/CMakeCache.txt $(BUILD)/CMakeCache.txt
	$(WINE_ENV) /usr/lib/wine/wine64 wineboot --init
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	cmake --build $(BUILD) -j $(JOBS) --target e2e_tests
	$(WINE_ENV) /usr/lib/wine/wineserver -w
	cd $(WINDOWS_BUILD) && $(WINE_ENV) xvfb-run -a $(CURDIR)/scripts/with-wine-session \
	  ctest --output-on-failure -j $(JOBS) --repeat until-pass:2
	$(WINE_ENV) KIVORA_E2E_WINDOWS=$(abspath $(WINDOWS_BUILD)) XDG_DATA_HOME=$(CURDIR)/$(BUILD)/test-xdg-data \
	  scripts/with-wine-session $(BUILD)/tests/e2e_tests --gtest_filter='-$(WINDOWS_E2E_LEFT_OUT)'

# Every dialog, and a message box of each icon, as the Windows dialog manager
# draws them under Wine, as docs/screenshots/windows/*.png.
windows-screenshots: windows
	cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target kivora-screenshots
	scripts/windows-screenshots $(WINDOWS_BUILD)

# A provider's Windows package: kivora.exe and the provider's files from
# PROVIDER_DIR, nothing else, in kivora-<provider>-windows-x64.zip.
PROVIDER_FILES = APGEN.csv APPHS.csv CTMENU.csv ISP_INF.csv Logo.png
WINDOWS_PACKAGE = kivora-$(PROVIDER)-windows-x64.zip

windows-package: windows
	rm -rf $(WINDOWS_BUILD)/package && mkdir -p $(WINDOWS_BUILD)/package
	cp $(WINDOWS_BUILD)/bin/kivora.exe $(addprefix $(PROVIDER_DIR)/,$(PROVIDER_FILES)) $(WINDOWS_BUILD)/package/
	x86_64-w64-mingw32-strip $(WINDOWS_BUILD)/package/kivora.exe
	rm -f $(WINDOWS_PACKAGE)
	cd $(WINDOWS_BUILD)/package && cmake -E tar cf $(abspath $(WINDOWS_PACKAGE)) --format=zip kivora.exe $(PROVIDER_FILES)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WINDOWS_BUILD)
