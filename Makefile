# The two commands of the README, plus a few conveniences. Everything goes
# through scripts/bootstrap first, so a fresh Debian machine needs nothing else.
BUILD ?= build
ASAN_BUILD ?= build-asan
# The Windows program: 32-bit (i686), the one users get, or x86_64. Each has
# a build tree, a Wine prefix in it and a Wine loader of its own.
WINDOWS_ARCH ?= i686
WINDOWS_BUILD_i686 ?= build-windows
WINDOWS_BUILD_x86_64 ?= build-windows-x64
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
.PHONY: windows windows-configure windows-test windows-test-under-wine windows-bench-under-wine windows-package windows-screenshots

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
# figures on the console and as JSON in $(BUILD)/bench/NAME.json. Then
# kivora.exe's start-up under Wine against its dialog template alone
# (windows-bench). A few minutes, so not part of make test.
bench: build
	@set -e; for name in $(BENCHMARKS); do \
	  $(BUILD)/bench/$$name/kivora-bench-$$name --benchmark_counters_tabular=true \
	    --benchmark_out=$(BUILD)/bench/$$name.json --benchmark_out_format=json; \
	done
	$(call under-wine,windows-bench)

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
	  $(BUILD)/tests/e2e_tests --gtest_filter='Recovery/KilledMigration.*'

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

# The Debian packages of one provider's Kivora (packaging/), built by CPack
# from the installed files alone: kivora-PROVIDER for its customers and
# kivora-tools, the provider's checker.
package: configure
	cmake -S . -B $(BUILD) -DKIVORA_PROVIDER=$(PROVIDER) -DKIVORA_PROVIDER_DIR=$(abspath $(PROVIDER_DIR)) \
	  -DKIVORA_APP_ID=$(APP_ID)
	cmake --build $(BUILD) -j $(JOBS) --target kivora-package-files
	cd $(BUILD) && cpack -G DEB
	@echo "packages: $(BUILD)/kivora-$(PROVIDER)_$(VERSION)_amd64.deb $(BUILD)/kivora-tools_$(VERSION)_amd64.deb"

# The demo provider's packages checked as a user would get them, and
# installed beside a second provider's (packaging/package-test). The
# stand-in remote-access service and kivora-sys play the demo through the
# installed program.
SECOND_PROVIDER = second
package-test:
	$(MAKE) package PROVIDER=$(SECOND_PROVIDER) PROVIDER_DIR=demo
	$(MAKE) package PROVIDER=demo PROVIDER_DIR=demo
	cmake --build $(BUILD) -j $(JOBS) --target kivora_rasapi32 kivora-sys
	packaging/package-test $(BUILD) $(VERSION) demo demo $(SECOND_PROVIDER)

# The Windows program, cross-built: $(WINDOWS_BUILD)/bin/kivora.exe with the
# demo provider's files beside it. A tree configured for the other
# architecture is refused rather than quietly built for it.
ifeq ($(WINDOWS_ARCH),i686)
WINE = /usr/lib/wine/wine
WINE_ARCH = win32
WINDOWS_PACKAGE_ARCH = x86
else ifeq ($(WINDOWS_ARCH),x86_64)
WINE = /usr/lib/wine/wine64
WINE_ARCH = win64
WINDOWS_PACKAGE_ARCH = x64
else
$(error WINDOWS_ARCH must be i686 or x86_64, not $(WINDOWS_ARCH))
endif
WINDOWS_BUILD ?= $(WINDOWS_BUILD_$(WINDOWS_ARCH))
WINDOWS_TOOLCHAIN = $(CURDIR)/cmake/mingw-w64-$(WINDOWS_ARCH).cmake

# Every Wine process of the tests: the build tree's own prefix, of the
# build's architecture (a 32-bit prefix for i686, as 32-bit Windows is), and
# a Japanese Windows (code page 932), the one Kivora is made for. WINE names
# the loader for the scripts and the end-to-end cases.
WINE_ENV = WINEPREFIX=$(abspath $(WINDOWS_BUILD))/wineprefix WINEARCH=$(WINE_ARCH) WINEDEBUG=-all \
  LC_ALL=ja_JP.UTF-8 WINE=$(WINE)
empty :=
space := $(empty) $(empty)

$(WINDOWS_BUILD)/CMakeCache.txt: | bootstrap
	cmake -S . -B $(WINDOWS_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=$(WINDOWS_TOOLCHAIN) \
	  "-DCMAKE_CROSSCOMPILING_EMULATOR=env;$(subst $(space),;,$(WINE_ENV));$(WINE)" $(WERROR) $(CMAKE_FLAGS)

windows-configure: bootstrap $(WINDOWS_BUILD)/CMakeCache.txt
	@grep -qx 'CMAKE_TOOLCHAIN_FILE:[A-Z]*=$(WINDOWS_TOOLCHAIN)' $(WINDOWS_BUILD)/CMakeCache.txt || \
	  { echo "make: $(WINDOWS_BUILD) was configured for another Windows than $(WINDOWS_ARCH); remove it first" >&2; exit 1; }

windows: windows-configure
	cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target kivora
	cp demo/*.csv demo/Logo.png $(WINDOWS_BUILD)/bin/

# $(call under-wine,TARGET): make TARGET-under-wine for WINDOWS_ARCH. A kernel
# that cannot run i386 programs cannot run 32-bit Wine (its loader is one):
# the run says so and takes the x86-64 build instead.
define under-wine
	@if [ $(WINDOWS_ARCH) = i686 ] && ! $(WINE) --version >/dev/null 2>&1; then \
	  echo "$(1): this kernel does not run 32-bit (i386) programs; the x86-64 build is used instead"; \
	  $(MAKE) --no-print-directory $(1)-under-wine WINDOWS_ARCH=x86_64 WINDOWS_BUILD=$(WINDOWS_BUILD_x86_64); \
	else \
	  $(MAKE) --no-print-directory $(1)-under-wine; \
	fi
endef

# The Windows build's tests under Wine, 32-bit unless WINDOWS_ARCH says
# otherwise.
windows-test: bootstrap
	$(call under-wine,windows-test)

# In a Wine prefix of the build tree's own, made before the tests start so
# that no two of them race to make it. They run on a virtual screen, for the
# dialog backend's tests; the Wine session the build started has none, so it
# ends first, and each stage runs in one session of its own
# (scripts/with-wine-session). Even so, about one run in thirty had one
# unit-test program end at once without printing a line (a different test
# each time, passing when run again), so a unit test that fails is run once
# more; one that fails twice fails the run.
#
# Then the Linux build's end-to-end cases run kivora.exe under Wine with the
# stand-in rasapi32.dll in the prefix's system folder (KIVORA_E2E_WINDOWS),
# one at a time: the program's named mutex, the registry and the system
# folder are the Wine session's, shared by every case (each case starts from
# a fresh registry and a fresh copy of the library, and pretends its Windows
# version through Wine's own settings). Left out: the transcript's POSIX file
# modes and shell redirections.
WINDOWS_E2E_LEFT_OUT = Transcript.*

windows-test-under-wine: windows-configure $(BUILD)/CMakeCache.txt
	$(WINE_ENV) $(WINE) wineboot --init
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	cmake --build $(BUILD) -j $(JOBS) --target e2e_tests
	$(WINE_ENV) /usr/lib/wine/wineserver -w
	cd $(WINDOWS_BUILD) && $(WINE_ENV) xvfb-run -a $(CURDIR)/scripts/with-wine-session \
	  ctest --output-on-failure -j $(JOBS) --repeat until-pass:2
	$(WINE_ENV) KIVORA_E2E_WINDOWS=$(abspath $(WINDOWS_BUILD)) XDG_DATA_HOME=$(CURDIR)/$(BUILD)/test-xdg-data \
	  scripts/with-wine-session $(BUILD)/tests/e2e_tests --gtest_filter='-$(WINDOWS_E2E_LEFT_OUT)'

# kivora.exe's start-up under Wine (bench/WineStartupBench.cpp), with the
# stand-in service in the prefix's system folder and a system root of its
# own, on a virtual screen: WINDOWS_BENCH_PAIRS starts of each, figures on
# the console.
WINDOWS_BENCH_PAIRS ?= 20

windows-bench-under-wine: windows-configure
	$(WINE_ENV) $(WINE) wineboot --init
	cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target kivora-bench-startup
	cp $(WINDOWS_BUILD)/standin/rasapi32.dll $(WINDOWS_BUILD)/wineprefix/drive_c/windows/system32/rasapi32.dll
	$(WINE_ENV) /usr/lib/wine/wineserver -w
	cd $(WINDOWS_BUILD)/bench/startup && $(WINE_ENV) KIVORA_SYSTEM=$(abspath $(WINDOWS_BUILD))/bench/startup/system \
	  WINEDLLOVERRIDES=rasapi32=n xvfb-run -a $(CURDIR)/scripts/with-wine-session \
	  $(WINE) kivora-bench-startup.exe $(WINDOWS_BENCH_PAIRS)

# Every dialog, and a message box of each icon, as the Windows dialog manager
# draws them under Wine, as docs/screenshots/windows/*.png.
windows-screenshots: windows
	cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target kivora-screenshots
	WINE=$(WINE) WINEARCH=$(WINE_ARCH) scripts/windows-screenshots $(WINDOWS_BUILD)

# A provider's Windows package: kivora.exe and the provider's files from
# PROVIDER_DIR, nothing else, in kivora-<provider>-windows-x86.zip (x64 for
# WINDOWS_ARCH=x86_64).
PROVIDER_FILES = APGEN.csv APPHS.csv CTMENU.csv ISP_INF.csv Logo.png
WINDOWS_PACKAGE = kivora-$(PROVIDER)-windows-$(WINDOWS_PACKAGE_ARCH).zip

windows-package: windows
	rm -rf $(WINDOWS_BUILD)/package && mkdir -p $(WINDOWS_BUILD)/package
	cp $(WINDOWS_BUILD)/bin/kivora.exe $(addprefix $(PROVIDER_DIR)/,$(PROVIDER_FILES)) $(WINDOWS_BUILD)/package/
	$(WINDOWS_ARCH)-w64-mingw32-strip $(WINDOWS_BUILD)/package/kivora.exe
	rm -f $(WINDOWS_PACKAGE)
	cd $(WINDOWS_BUILD)/package && cmake -E tar cf $(abspath $(WINDOWS_PACKAGE)) --format=zip kivora.exe $(PROVIDER_FILES)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WINDOWS_BUILD_i686) $(WINDOWS_BUILD_x86_64)
