# Norvadex: the two set-up commands are `make run` and `make test`.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
CMAKE_FLAGS ?=

.PHONY: deps configure build run test test-asan test-tsan golden compare mutate stress stress-asan fuzz bench clean

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Builds and starts the desktop program.
run: build
	@if [ -x $(BUILD)/norvadex ]; then $(BUILD)/norvadex; \
	else echo "The desktop program is not built yet; the engine and its tests are."; fi

# Builds and runs every test.
test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	    -DNORVADEX_SANITIZE=address,undefined -DNORVADEX_BUILD_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen \
	    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    ctest --output-on-failure -j $(JOBS)

# The tests of the algebra (its long products search on two threads), the search, the analysis and the work on worker threads under
# ThreadSanitizer, and two golden entries whose analyses run the optimal lines on two threads; any data race fails. Slow, so not
# part of CI.
TSAN_ENV = TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:suppressions=$(CURDIR)/tests/tsan.supp
test-tsan: deps
	@cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNORVADEX_SANITIZE=thread \
	    -DNORVADEX_BUILD_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS) --target test_strategy test_play test_results test_golden ui_test_flow ui_test_windows
	@$(TSAN_ENV) $(TSAN_BUILD)/tests/test_strategy --gtest_brief=1
	@$(TSAN_ENV) $(TSAN_BUILD)/tests/test_play --gtest_brief=1
	@$(TSAN_ENV) $(TSAN_BUILD)/tests/test_results --gtest_brief=1 --gtest_filter='-Stress.*'
	@$(TSAN_ENV) NORVADEX_GOLDEN='AT6 Q842|KT74 J52' $(TSAN_BUILD)/tests/test_golden --gtest_brief=1
	@$(TSAN_ENV) QT_QPA_PLATFORM=offscreen $(TSAN_BUILD)/tests/ui_test_windows -silent
	@$(TSAN_ENV) QT_QPA_PLATFORM=offscreen $(TSAN_BUILD)/tests/ui_test_flow -silent

# Every entry of the golden file tests/golden/results.jsonl (`make test` runs the
# quick ones only): the results must be those the file holds.
golden: configure
	@cmake --build $(BUILD) -j $(JOBS) --target test_golden
	@NORVADEX_GOLDEN=all $(BUILD)/tests/test_golden

# The JSON of $(BUILD)/norvadex-cli against that of commit 39d92fa (built once
# into build/ref-39d92fa) on seeded random and benchmark combinations.
compare: configure
	@cmake --build $(BUILD) -j $(JOBS) --target norvadex-cli
	@scripts/compare-results.py --new $(BUILD)/norvadex-cli --jobs $(JOBS)

# Mutation testing: every fault of scripts/mutants.txt applied alone to a copy
# of the tree (build-mutate/), built and tested; prints the faults no test
# catches. MUTATE_FLAGS passes options on (--only ID, --compare OLD.json).
mutate: deps
	@scripts/mutate.py --jobs $(JOBS) $(MUTATE_FLAGS)

# The libFuzzer targets, built with clang in a build directory of their own and
# run one after the other for FUZZ_SECONDS each; fails if any of them crashes.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz: deps
	@CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DNORVADEX_BUILD_FUZZ=ON -DNORVADEX_BUILD_UI=OFF -DNORVADEX_BUILD_TESTS=OFF \
	    -DNORVADEX_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@scripts/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# A long seeded run of the whole analysis on random combinations; a failing
# case is replayed alone with the command the run prints.
#   make stress SEED=7 COUNT=2000          optimised build
#   make stress SEED=7 COUNT=300 SANITIZE=1  sanitizer build, leak detection on
#   make stress SEED=7 FIRST=123 COUNT=1   case 123 of seed 7 alone
# BUDGET bounds each analysis in polls of the host (default 2000000, 500000 with
# SANITIZE); an analysis over it is stopped and checked as an interrupted one.
SEED ?= 1
COUNT ?= 1000
FIRST ?= 0
BUDGET ?=
SANITIZE ?=
STRESS_BUILD = $(if $(SANITIZE),$(ASAN_BUILD),$(BUILD))
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

stress: deps
	@if [ -n "$(SANITIZE)" ]; then \
	    cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	        -DNORVADEX_SANITIZE=address,undefined -DNORVADEX_BUILD_BENCH=OFF $(CMAKE_FLAGS) >/dev/null; \
	else \
	    cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null; \
	fi
	@cmake --build $(STRESS_BUILD) -j $(JOBS) --target test_results
	@$(if $(SANITIZE),$(SANITIZER_ENV)) NORVADEX_STRESS_SEED=$(SEED) NORVADEX_STRESS_COUNT=$(COUNT) \
	    NORVADEX_STRESS_FIRST=$(FIRST) NORVADEX_STRESS_BUDGET=$(BUDGET) \
	    $(STRESS_BUILD)/tests/test_results --gtest_filter='Stress.*' --gtest_brief=1

stress-asan:
	@$(MAKE) --no-print-directory stress SANITIZE=1

bench: build
	@if [ -x $(BUILD)/bench/norvadex_bench ]; then $(BUILD)/bench/norvadex_bench; \
	else echo "No benchmark built yet."; fi

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
