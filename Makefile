# Thin wrapper over scripts/ and CMake.
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build run test test-unit test-asan test-tsan bench fuzz format format-check lint package clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build build -j$(JOBS)

run: build
	./build/bin/zarvo

test: build
	cd build && ctest --output-on-failure -j$(JOBS)

test-asan: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DZARVO_SANITIZE=address $(CMAKE_FLAGS)
	cmake --build build-asan -j$(JOBS)
	cd build-asan && ctest --output-on-failure -j$(JOBS)

test-tsan: deps
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DZARVO_SANITIZE=thread $(CMAKE_FLAGS)
	cmake --build build-tsan -j$(JOBS)
	cd build-tsan && ctest --output-on-failure -L tsan

# A Debian package in build/ (zarvo_VERSION-1_ARCH.deb).
package: build
	cd build && cpack -G DEB

bench: build
	bash scripts/bench.sh

fuzz: deps
	bash scripts/fuzz.sh

# The house style for lines written since it was set, and the static checks.
format:
	bash scripts/format.sh

format-check:
	bash scripts/format.sh check

lint: build
	bash scripts/lint.sh

clean:
	rm -rf build build-asan build-tsan build-fuzz
