# Cuelark: a newcomer's two commands are `make run` and `make test`.
# Both install what is missing (Debian packages), build both trees and go on.

BUILD      := build
NATIVE     := $(BUILD)/native
WIN        := $(BUILD)/win
FUZZ       := $(BUILD)/fuzz
FUZZ_SECONDS ?= 300
PREFIX     := $(CURDIR)/$(BUILD)/wineprefix
PREFIX144  := $(CURDIR)/$(BUILD)/wineprefix-144
JOBS       ?= $(shell nproc)
RIG        := tools/rig/with-rig.sh

PACKAGES := cmake make g++ libgtest-dev googletest g++-mingw-w64-x86-64 \
            mingw-w64-tools wine wine64 libwine-dev xvfb xauth imagemagick \
            fonts-wine fonts-liberation zip unzip clang libclang-rt-14-dev

.PHONY: all deps build native win fuzzers fuzz prefix prefix144 test bench run screenshots dist clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing: $$missing"; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	fi

native: deps
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug \
	  -DCUELARK_WIN_BUILD_DIR=$(CURDIR)/$(WIN) -DCUELARK_WINE_PREFIX_144=$(PREFIX144) \
	  -DCUELARK_FUZZ_BUILD_DIR=$(CURDIR)/$(FUZZ) \
	  -DCUELARK_DIST_ZIP=$(CURDIR)/$(DIST_ZIP) >/dev/null
	cmake --build $(NATIVE) -j $(JOBS)

win: deps
	cmake -S . -B $(WIN) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake >/dev/null
	cmake --build $(WIN) -j $(JOBS)

# The libFuzzer targets need clang; everything else builds with g++.
fuzzers: deps
	cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DCUELARK_FUZZ=ON >/dev/null
	cmake --build $(FUZZ) -j $(JOBS) --target ini_document_fuzz store_fuzz

# Each fuzzer for FUZZ_SECONDS; findings land in $(FUZZ)/work/<target>/crash-*.
fuzz: fuzzers
	for target in ini_document store; do \
	  tests/fuzz/run-fuzzer.sh $(FUZZ)/tests/fuzz/$${target}_fuzz tests/fuzz/corpus/$$target $(FUZZ_SECONDS) \
	    $(FUZZ)/work/$$target || exit 1; \
	done

build: native win fuzzers

prefix: deps
	tools/rig/make-prefix.sh $(PREFIX) 96

test: build prefix prefix144 dist
	$(RIG) $(PREFIX) ctest --test-dir $(NATIVE) --output-on-failure -j 1

bench: build prefix
	$(RIG) $(PREFIX) bench/run-all.sh $(CURDIR)/$(NATIVE) $(CURDIR)/$(WIN)

run: build prefix
	CUELARK_USE_DISPLAY=1 $(RIG) $(PREFIX) tools/rig/run-cuelark.sh $(CURDIR)/$(WIN) $(CURDIR)/$(BUILD)/run

prefix144: deps
	tools/rig/make-prefix.sh $(PREFIX144) 144

screenshots: build prefix prefix144
	$(RIG) $(PREFIX) tools/rig/screenshots.sh $(CURDIR)/$(WIN) $(CURDIR)/$(BUILD)/screenshots
	$(RIG) $(PREFIX144) tools/rig/screenshots.sh $(CURDIR)/$(WIN) $(CURDIR)/$(BUILD)/screenshots -144dpi

VERSION    := $(shell grep -o 'Cuelark VERSION [0-9.]*' CMakeLists.txt | cut -d' ' -f3)
DIST_ZIP   := dist/cuelark-$(VERSION)-win64.zip

dist: win
	rm -rf $(BUILD)/dist && mkdir -p $(BUILD)/dist/cuelark-$(VERSION) dist
	cp $(WIN)/scheduler/win/Cuelark.exe $(WIN)/inicontrol/BrevoniControlX.dll $(BUILD)/dist/cuelark-$(VERSION)/
	sed 's/$$/\r/' packaging/README.txt >$(BUILD)/dist/cuelark-$(VERSION)/README.txt
	sed 's/$$/\r/' LICENSE >$(BUILD)/dist/cuelark-$(VERSION)/LICENSE.txt
	rm -f $(DIST_ZIP) && cd $(BUILD)/dist && zip -q -r $(CURDIR)/$(DIST_ZIP) cuelark-$(VERSION)
	@echo "dist: $(DIST_ZIP)"

clean:
	rm -rf $(BUILD) dist
