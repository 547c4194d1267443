# make run   — build and open Vennaro on a demo address book under demo/
# make test  — build and run every test
# make bench — build optimised and run the benchmarks
# make test SANITIZE=1 — the same tests, built with the address and undefined-behaviour sanitizers
# make test TESTS=REGEX — only the tests whose names match, and only what they need is built
# make fuzz  — build the libFuzzer targets (clang) and run each for FUZZ_S seconds

BUILD   ?= build
RELEASE ?= build-release
CMAKE_FLAGS ?=
FUZZ    ?= build-fuzz
FUZZ_S  ?= 60
ifeq ($(SANITIZE),1)
BUILD := build-sanitize
CMAKE_FLAGS += -DVENNARO_SANITIZE=ON
endif
export CCACHE_BASEDIR := $(CURDIR)
ifneq ($(CI),)
CMAKE_FLAGS += -DVENNARO_WERROR=ON
endif

DEMO_DOCS := $(CURDIR)/demo/Documents
DEMO_DB   := $(CURDIR)/demo/addressbook.db

.PHONY: all deps build run test bench fuzz install clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD)

run: build
	@scripts/run-demo $(BUILD)/bin/vennaro "$(DEMO_DOCS)" "$(DEMO_DB)"

ifeq ($(TESTS),)
test: build
	cd $(BUILD) && ctest --output-on-failure -j2
else
test: deps $(BUILD)/build.ninja
	cmake $(BUILD) > /dev/null  # a test file added since the last build is listed too
	cmake --build $(BUILD) --target vennaro $$(cd $(BUILD) && ctest -N -R '$(TESTS)' | sed -nE 's/^ *Test +#[0-9]+: //p')
	cd $(BUILD) && ctest --output-on-failure -j2 -R '$(TESTS)'
endif

$(RELEASE)/build.ninja: | deps
	cmake -S . -B $(RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVENNARO_TESTS=OFF $(CMAKE_FLAGS)

bench: deps $(RELEASE)/build.ninja
	cmake --build $(RELEASE) --target vennaro benchmarks
	@scripts/run-benchmarks $(RELEASE)

$(FUZZ)/build.ninja: | deps
	cmake -S . -B $(FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ -DVENNARO_FUZZ=ON $(CMAKE_FLAGS)

fuzz: deps $(FUZZ)/build.ninja
	cmake --build $(FUZZ) --target fuzzers
	@scripts/run-fuzzers $(FUZZ) $(FUZZ_S)

PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD) $(RELEASE) $(FUZZ) build-sanitize
