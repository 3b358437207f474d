# Top-level commands. `make test` and `make demo` install what they need.
JOBS ?= $(shell nproc)

# A compiler cache shared by every checkout of this machine: a second checkout,
# or the next run of `make test`, compiles only what changed. Paths below the
# checkout are hashed relative to it, so two checkouts hit the same entries.
CCACHE := $(shell command -v ccache 2>/dev/null)
ifneq ($(CCACHE),)
LAUNCHER := -DCMAKE_C_COMPILER_LAUNCHER=$(CCACHE) -DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE)
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1
endif

.PHONY: all deps windows win32 win64 host asan fuzz-build fuzz test unit e2e demo disc format clean

all: windows host

deps:
	@tools/install-deps.sh

build/win32/Makefile:
	cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel $(LAUNCHER)

build/win64/Makefile:
	cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel $(LAUNCHER)

# The host build: the unit tests and the libFuzzer targets, with clang, over one
# compilation of the logic and the fake machine under AddressSanitizer and UBSan.
build/host/Makefile:
	cmake -S . -B build/host -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang-16 \
	  -DCMAKE_CXX_COMPILER=clang++-16 -DSANITIZE=ON -DFUZZ=ON $(LAUNCHER)

windows: win32 win64

win32: build/win32/Makefile
	cmake --build build/win32 -j $(JOBS)

win64: build/win64/Makefile
	cmake --build build/win64 -j $(JOBS)

host: build/host/Makefile
	cmake --build build/host -j $(JOBS)

# The unit tests and the fuzz targets are built with AddressSanitizer and UBSan.
asan fuzz-build: host

disc: win32
	tools/make-disc.sh build/disc

# Runs each libFuzzer target of fuzz/ for FUZZ_SECONDS; stops at the first finding.
FUZZ_SECONDS ?= 600
fuzz: host
	@for t in $$(cat build/host/fuzz/targets.txt); do \
	  echo "== $$t: $(FUZZ_SECONDS) s"; \
	  tools/run-fuzzer.sh build/host/fuzz $$t $(FUZZ_SECONDS) || exit 1; \
	done

# Packages, every build, the unit tests, a short run of each fuzz target and the
# end-to-end tests under Wine; prints how long each phase took.
test:
	@tools/make-test.sh

unit: host
	ctest --test-dir build/host --output-on-failure -L unit -j $(JOBS)

e2e: windows host disc
	@tools/run-e2e.sh build/host

demo: deps windows disc
	tools/demo.sh

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h' '*.c')

clean:
	rm -rf build
