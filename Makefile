# Top-level commands. `make test` and `make demo` install what they need.
JOBS ?= $(shell nproc)

.PHONY: all deps windows host asan fuzz-build fuzz test unit e2e demo disc format clean

all: windows host

deps:
	@tools/install-deps.sh

build/win32/build.ninja build/win32/Makefile:
	cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel

build/win64/Makefile:
	cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel

build/host/Makefile:
	cmake -S . -B build/host -DCMAKE_BUILD_TYPE=Debug

build/asan/Makefile:
	cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON

windows: build/win32/Makefile build/win64/Makefile
	cmake --build build/win32 -j $(JOBS)
	cmake --build build/win64 -j $(JOBS)

host: build/host/Makefile
	cmake --build build/host -j $(JOBS)

# The unit tests under AddressSanitizer and UndefinedBehaviorSanitizer.
asan: build/asan/Makefile
	cmake --build build/asan -j $(JOBS)

disc: windows
	tools/make-disc.sh build/disc

# The libFuzzer targets of fuzz/ (clang, AddressSanitizer, UBSan).
FUZZ_SECONDS ?= 600
build/fuzz/Makefile:
	cmake -S fuzz -B build/fuzz -DCMAKE_CXX_COMPILER=clang++-16

fuzz-build: build/fuzz/Makefile
	cmake --build build/fuzz -j $(JOBS)

# Runs each fuzz target for FUZZ_SECONDS; stops at the first finding.
fuzz: fuzz-build
	@for t in $$(cat build/fuzz/targets.txt); do \
	  echo "== $$t: $(FUZZ_SECONDS) s"; \
	  tools/run-fuzzer.sh build/fuzz $$t $(FUZZ_SECONDS) || exit 1; \
	done

# Unit tests, a short run of each fuzz target and the end-to-end tests under
# Wine in one ctest run, then the unit tests again under the sanitizers.
test: deps windows host asan disc fuzz-build
	ctest --test-dir build/host --output-on-failure -j $(JOBS)
	@tools/e2e-summary.sh build/host
	ctest --test-dir build/asan --output-on-failure

unit: host
	ctest --test-dir build/host --output-on-failure -L unit -j $(JOBS)

e2e: windows host disc
	ctest --test-dir build/host --output-on-failure -L e2e -j $(JOBS)
	@tools/e2e-summary.sh build/host

demo: deps windows disc
	tools/demo.sh

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h' '*.c')

clean:
	rm -rf build
