# Quick start: `make run` and `make test`. Both install what is missing (apt),
# configure and build.

BUILD      ?= build
BUILD_ASAN ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
# Our own builds stop at a warning; a plain cmake build (a packager's) does not.
OUR_CMAKE_ARGS = -DTWINSIFT_WERROR=ON $(CMAKE_ARGS)

.PHONY: all deps build run test test-asan tidy bench screenshots format format-check install clean

all: build

deps:
	@sh scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(OUR_CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/bin/twinsift

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(BUILD_ASAN) -DCMAKE_BUILD_TYPE=Debug -DTWINSIFT_SANITIZE=ON -DTWINSIFT_BUILD_BENCH=OFF $(OUR_CMAKE_ARGS)
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	cd $(BUILD_ASAN) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

# The static checks of .clang-tidy on our own sources, through the build's
# compile commands; any finding fails.
tidy: build
	run-clang-tidy -p $(BUILD) -j $(JOBS) -quiet '$(CURDIR)/src/'

bench: build
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b || exit 1; done

# The README's pictures, drawn by the real windows on the offscreen platform.
screenshots: build
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/bin/twinsift-screenshots docs/screenshots

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

install: build
	cmake --install $(BUILD)

# build/twinsift_<version>_amd64.deb, for /usr.
.PHONY: package
package: build
	cd $(BUILD) && cpack

clean:
	rm -rf $(BUILD) $(BUILD_ASAN)
