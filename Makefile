# The README's commands, reached through build.sh on a machine that has no make yet.
# Each installs what is missing, then builds in its own folder.
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 30

.PHONY: deps run build test build-test fuzz bench package install clean

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

# The Debian package, built with Debian's hardening flags and stripped by CPack.
package: deps
	cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DQUORIN_TESTS=OFF -DQUORIN_BENCH=OFF \
	  -DCMAKE_INSTALL_PREFIX=/usr \
	  -DCMAKE_CXX_FLAGS="$$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS) $$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CPPFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)"
	cmake --build build-package -j $(JOBS)
	cd build-package && cpack -G DEB
	@echo "Paquet : $$(ls build-package/quorin_*_amd64.deb)"

install: build
	cmake --install build --prefix $(or $(PREFIX),$(HOME)/.local)

clean:
	rm -rf build build-test build-fuzz build-bench build-package
