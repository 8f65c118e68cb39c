# Entry points for a fresh clone: `make test` installs what the build needs, builds everything and
# runs every test; `make example` bakes the lens into a built-in example clip and corrects it back.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build test example bench format clean test-asan test-tsan fuzz fuzz-smoke check-format ci

all: build

deps:
	./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Writes the example clip, its lens data, the corrected frames and a preview to $(BUILD_DIR)/example,
# then the clip's frame mapping (A001C001.json) and its lens data report (report/index.html).
LENSCORRECT = $(abspath $(BUILD_DIR))/tools/lenscorrect/lenscorrect
example: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target lenscorrect lens-correct-example
	rm -rf $(BUILD_DIR)/example
	$(BUILD_DIR)/examples/lens-correct-example --directory $(BUILD_DIR)/example
	cd $(BUILD_DIR)/example && $(LENSCORRECT) plate/A001C001.####.tif \
	    --correction-file A001C001.tlcf --clip-name A001C001_260614_R1AB.mov \
	    --shading remove --distortion undistort --dry-run --json A001C001.json
	tools/report/lenscorrect-report $(BUILD_DIR)/example/A001C001.json \
	    -o $(BUILD_DIR)/example/report --plate --lenscorrect $(LENSCORRECT)

# Warnings are errors here and in CI (a user's plain build keeps them warnings). CI sets
# LC_REQUIRE_OPENCL=1 and LC_NO_SKIPS=1: then a missing OpenCL device or any skipped test fails
# the run.
test: CMAKE_FLAGS += -DLC_WARNINGS_AS_ERRORS=ON
test: build
	JOBS=$(JOBS) ./scripts/run-tests.sh $(BUILD_DIR)

# Whole suite under AddressSanitizer + UndefinedBehaviorSanitizer.
test-asan: deps
	./scripts/sanitizer-tests.sh asan

# Concurrency tests under ThreadSanitizer.
test-tsan: deps
	./scripts/sanitizer-tests.sh tsan

# libFuzzer targets (clang); FUZZ_SECONDS per target on the committed corpora.
FUZZ_SECONDS ?= 30
fuzz: deps
	./scripts/fuzz.sh build
fuzz-smoke: deps
	./scripts/fuzz.sh run $(FUZZ_SECONDS)

check-format: deps
	./scripts/check-format.sh

# Everything CI runs, as strict as CI.
ci: export LC_REQUIRE_OPENCL = 1
ci: export LC_NO_SKIPS = 1
ci: check-format test test-asan test-tsan fuzz-smoke

bench: build
	./scripts/run-benchmarks.sh $(BUILD_DIR)

format:
	clang-format-14 -i $$(git ls-files '*.h' '*.cpp' '*.cl')

clean:
	rm -rf $(BUILD_DIR)
