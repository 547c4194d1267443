# make run   — build and open Vennaro on a demo address book under demo/
# make test  — build and run every test
# make bench — build optimised and run the benchmarks

BUILD   ?= build
RELEASE ?= build-release
CMAKE_FLAGS ?=
export CCACHE_BASEDIR := $(CURDIR)
ifneq ($(CI),)
CMAKE_FLAGS += -DVENNARO_WERROR=ON
endif

DEMO_DOCS := $(CURDIR)/demo/Documents
DEMO_DB   := $(CURDIR)/demo/addressbook.db

.PHONY: all deps build run test bench install clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD)

run: build
	@scripts/run-demo $(BUILD)/bin/vennaro "$(DEMO_DOCS)" "$(DEMO_DB)"

test: build
	cd $(BUILD) && ctest --output-on-failure -j2

$(RELEASE)/build.ninja: | deps
	cmake -S . -B $(RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVENNARO_TESTS=OFF $(CMAKE_FLAGS)

bench: deps $(RELEASE)/build.ninja
	cmake --build $(RELEASE) --target vennaro benchmarks
	@scripts/run-benchmarks $(RELEASE)

PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD) $(RELEASE)
