# The two set-up commands: `make run` and `make test`. Both install what is missing first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
# Each fuzz target's share of `make test`: a smoke for crashes, not a search (its time-out
# per input is lenient, so that a busy machine cannot fail it).
FUZZ_SMOKE_SECONDS ?= 6
# The suites with threads; only these are built under ThreadSanitizer.
TSAN_TESTS ?= test_values test_interpreter test_output test_ide_panel test_ide_commands
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja

.PHONY: run test deps build build-asan test-asan build-tsan test-tsan build-fuzz fuzz fuzz-smoke \
        clean format

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -x $(BUILD)/bin/tirvane-ide ]; then $(BUILD)/bin/tirvane-ide; \
	else $(BUILD)/bin/tirvane --help; fi

$(ASAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug \
	    -DTIRVANE_SANITIZE=address,undefined

build-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)

test-asan: build-asan
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# clang, so that Qt's inline code can be left uninstrumented (cmake/tsan-ignore.txt).
$(TSAN_BUILD)/build.ninja: | deps
	CC=clang CXX=clang++ cmake -S . -B $(TSAN_BUILD) $(CMAKE_GEN) \
	    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIRVANE_SANITIZE=thread

build-tsan: deps $(TSAN_BUILD)/build.ninja
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target $(TSAN_TESTS)

# A data race makes the suite exit non-zero (ThreadSanitizer's exit code 66).
test-tsan: build-tsan
	@set -e; for suite in $(TSAN_TESTS); do \
	    echo "== $$suite under ThreadSanitizer"; \
	    QT_QPA_PLATFORM=offscreen \
	        TSAN_OPTIONS="halt_on_error=1 suppressions=$(CURDIR)/tests/tsan-qt.supp" \
	        $(TSAN_BUILD)/bin/$$suite --gtest_brief=1; \
	done

$(FUZZ_BUILD)/build.ninja: | deps
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DTIRVANE_FUZZ=ON -DTIRVANE_BUILD_IDE=OFF -DTIRVANE_BUILD_TESTS=OFF

build-fuzz: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers

# FUZZ_SECONDS per target (FUZZ_TARGETS="translate argument run lsp" by default).
fuzz: build-fuzz
	fuzz/run-fuzzers $(FUZZ_BUILD)/bin $(FUZZ_SECONDS) $(FUZZ_TARGETS)

fuzz-smoke: build-fuzz
	FUZZ_TIMEOUT=5 fuzz/run-fuzzers $(FUZZ_BUILD)/bin $(FUZZ_SMOKE_SECONDS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)
	$(MAKE) test-asan
	$(MAKE) test-tsan
	$(MAKE) fuzz-smoke

format:
	find output values translator model interpreter syntax lsp cli ide tests bench fuzz -name '*.cpp' -o -name '*.h' 2>/dev/null \
	    | xargs -r clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
