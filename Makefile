# Cuelark: a newcomer's two commands are `make run` and `make test`.
# Both install what is missing (Debian packages), build the three trees (native,
# x64, x86) and go on.

BUILD      := build
NATIVE     := $(BUILD)/native
WIN        := $(BUILD)/win
FUZZ       := $(BUILD)/fuzz
FUZZ_SECONDS ?= 300
WIN32      := $(BUILD)/win32
PREFIX     := $(CURDIR)/$(BUILD)/wineprefix
PREFIX144  := $(CURDIR)/$(BUILD)/wineprefix-144
JOBS       ?= $(shell nproc)
RIG        := tools/rig/with-rig.sh
# Extra configure flags, such as -DCMAKE_CXX_COMPILER_LAUNCHER=ccache.
CMAKE_FLAGS ?=

# wine32:i386 runs the control's x86 build for its 32-bit callers.
PACKAGES := cmake make g++ libgtest-dev googletest g++-mingw-w64-x86-64 \
            g++-mingw-w64-i686-posix mingw-w64-tools wine wine64 wine32:i386 \
            libwine-dev xvfb xauth imagemagick fonts-wine fonts-liberation zip unzip \
            clang libclang-rt-14-dev

.PHONY: all deps ready build native win win32 fuzzers fuzz prefix prefix144 test bench run screenshots dist clean

all: build

deps:
	@if ! dpkg --print-foreign-architectures | grep -qx i386; then \
	  echo "Enabling i386 packages (32-bit Wine)"; dpkg --add-architecture i386; \
	fi; \
	missing=$$(for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	fi

native: deps
	cmake -S . -B $(NATIVE) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug \
	  -DCUELARK_WIN_BUILD_DIRS="$(CURDIR)/$(WIN);$(CURDIR)/$(WIN32)" \
	  -DCUELARK_WIN_BUILD_DIR=$(CURDIR)/$(WIN) -DCUELARK_WINE_PREFIX_144=$(PREFIX144) \
	  -DCUELARK_FUZZ_BUILD_DIR=$(CURDIR)/$(FUZZ) \
	  -DCUELARK_DIST_ZIP=$(CURDIR)/$(DIST_ZIP) >/dev/null
	cmake --build $(NATIVE) -j $(JOBS)

win: deps
	cmake -S . -B $(WIN) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake >/dev/null
	cmake --build $(WIN) -j $(JOBS)

# The libFuzzer targets need clang; everything else builds with g++.
fuzzers: deps
	cmake -S . -B $(FUZZ) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DCUELARK_FUZZ=ON >/dev/null
	cmake --build $(FUZZ) -j $(JOBS) --target ini_document_fuzz store_fuzz

# Each fuzzer for FUZZ_SECONDS; findings land in $(FUZZ)/work/<target>/crash-*.
fuzz: fuzzers
	for target in ini_document store; do \
	  tests/fuzz/run-fuzzer.sh $(FUZZ)/tests/fuzz/$${target}_fuzz tests/fuzz/corpus/$$target $(FUZZ_SECONDS) \
	    $(FUZZ)/work/$$target || exit 1; \
	done

# The control alone, for 32-bit callers, with its tests.
win32: deps
	cmake -S . -B $(WIN32) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Release -DCUELARK_CONTROL_ONLY=ON \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-i686.cmake >/dev/null
	cmake --build $(WIN32) -j $(JOBS)

build: native win win32 fuzzers

prefix: deps
	tools/rig/make-prefix.sh $(PREFIX) 96

# The trees build beside each other and beside the making of the prefixes:
# configuring, linking and booting a prefix leave a core idle that another
# tree's compiler then uses.
ready:
	$(MAKE) -j4 build prefix prefix144 dist

# Two at a time: the native suites and the fuzz runs go beside the Wine
# tests, which take turns (they share one display and one tray).
test: ready
	$(RIG) $(PREFIX) ctest --test-dir $(NATIVE) --output-on-failure -j 2

bench: build prefix
	$(RIG) $(PREFIX) bench/run-all.sh $(CURDIR)/$(NATIVE) $(CURDIR)/$(WIN)

# On the user's display until Cuelark is closed; without one, a minute on the
# rig's virtual display (CUELARK_RUN_SECONDS), leaving screenshots.
run: build prefix
	CUELARK_USE_DISPLAY=1 $(RIG) $(PREFIX) tools/rig/run-cuelark.sh $(CURDIR)/$(WIN) \
	  $(CURDIR)/$(BUILD)/run $(CURDIR)/$(BUILD)/screenshots

prefix144: deps
	tools/rig/make-prefix.sh $(PREFIX144) 144

screenshots: build prefix prefix144
	$(RIG) $(PREFIX) tools/rig/screenshots.sh $(CURDIR)/$(WIN) $(CURDIR)/$(BUILD)/screenshots
	$(RIG) $(PREFIX144) tools/rig/screenshots.sh $(CURDIR)/$(WIN) $(CURDIR)/$(BUILD)/screenshots -144dpi

VERSION    := $(shell grep -o 'Cuelark VERSION [0-9.]*' CMakeLists.txt | cut -d' ' -f3)
DIST_ZIP   := dist/cuelark-$(VERSION)-win64.zip

dist: win win32
	rm -rf $(BUILD)/dist && mkdir -p $(BUILD)/dist/cuelark-$(VERSION)/x86 dist
	cp $(WIN)/bin/Cuelark.exe $(WIN)/bin/BrevoniControlX.dll $(BUILD)/dist/cuelark-$(VERSION)/
	cp $(WIN32)/bin/BrevoniControlX.dll $(BUILD)/dist/cuelark-$(VERSION)/x86/
	sed 's/$$/\r/' packaging/README.txt >$(BUILD)/dist/cuelark-$(VERSION)/README.txt
	sed 's/$$/\r/' LICENSE >$(BUILD)/dist/cuelark-$(VERSION)/LICENSE.txt
	rm -f $(DIST_ZIP) && cd $(BUILD)/dist && zip -q -r $(CURDIR)/$(DIST_ZIP) cuelark-$(VERSION)
	@echo "dist: $(DIST_ZIP)"

clean:
	rm -rf $(BUILD) dist
