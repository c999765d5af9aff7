# Kestrix: the two commands that matter are `make run` and `make test`; `make bench` measures
# the cashier's actions on a fresh and on a five-year database (docs/performance.md).
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run backoffice test test-pg bench package package-check format clean

all: build

deps:
	@bash scripts/install-deps

$(BUILD)/build.ninja:
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

configure: deps $(BUILD)/build.ninja

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/frontdesk

backoffice: build
	$(BUILD)/bin/backoffice

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The same suite on a throwaway PostgreSQL server (made, used and removed by scripts/test-pg).
test-pg: build
	bash scripts/test-pg $(BUILD) -j $(JOBS)

bench: configure
	@cmake --build $(BUILD) --target kestrix-bench -j $(JOBS)
	bash scripts/bench $(BUILD) $(BENCH_ARGS)

# The Debian package kestrix_<version>_<arch>.deb in $(BUILD), then its checks.
package: build
	cd $(BUILD) && cpack -G DEB

package-check: package
	bash scripts/check-package $(BUILD)

format:
	@find db common frontdesk backoffice tools tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
