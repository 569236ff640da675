# The README's commands. Each installs what is missing, then builds in its own folder.
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 30

.PHONY: deps run build test build-test fuzz bench install clean

deps:
	@bash scripts/install-deps

build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORIN_TESTS=OFF -DQUORIN_BENCH=OFF
	cmake --build build -j $(JOBS)

run: build
	./build/bin/Quorin $(ARGS)

build-test: deps
	cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DQUORIN_SANITIZE=ON -DQUORIN_WERROR=ON
	cmake --build build-test -j $(JOBS)

# Fuzz targets first (short runs), then every unit test; ctest's summary closes the output.
test: fuzz build-test
	cd build-test && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 600

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DQUORIN_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS) --target quorin_fuzzers
	bash scripts/run-fuzzers build-fuzz $(FUZZ_SECONDS)

bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQUORIN_TESTS=OFF
	cmake --build build-bench -j $(JOBS)
	bash scripts/run-benches build-bench

install: build
	cmake --install build --prefix $(or $(PREFIX),$(HOME)/.local)

clean:
	rm -rf build build-test build-fuzz build-bench
