#!/usr/bin/env bash
# Builds with a sanitizer and runs tests: `asan` runs the whole suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, `tsan` runs the concurrency tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:?asan or tsan}
jobs=$(nproc)
supp="$(pwd)/scripts/sanitizers"

case "$kind" in
  asan)
    dir=build-asan
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DLC_SANITIZE=address,undefined \
      -DLC_BUILD_BENCHMARKS=OFF > /dev/null
    cmake --build "$dir" -j "$jobs"
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
    # use_tls=0: LeakSanitizer's exit-time scan of dynamic thread-local storage follows a bogus
    # block of glibc's and crashes its tracer (signal 11, "LeakSanitizer has encountered a fatal
    # error") in processes that load OpenImageIO's plug-in libraries, whether or not anything
    # leaked. Heap blocks held only by thread-local pointers then count as leaks: the
    # third-party ones are suppressed by library in lsan.supp; one of ours would fail the run.
    export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0:use_tls=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    # Every test, whatever loads what: plug-ins built here carry the same instrumentation. Two
    # tests limit the address space or the data size, which sanitizer shadow memory cannot
    # take; they are left out here by name (CI refuses skips, LC_NO_SKIPS=1).
    JOBS=$jobs ./scripts/run-tests.sh "$dir" --timeout 900 \
      -E '^(AeFrame\.WorkerThatCannotStartFailsTheTransferAfterJoiningTheOthers|FrameMemory\.APlateTooLargeForTheMemoryIsRefusedBeforeAnyWork)$'
    ;;
  tsan)
    dir=build-tsan
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLC_SANITIZE=thread \
      -DLC_BUILD_BENCHMARKS=OFF > /dev/null
    cmake --build "$dir" -j "$jobs"
    export TSAN_OPTIONS="suppressions=$supp/tsan.supp:halt_on_error=1:second_deadlock_stack=1"
    # Selected by name; a renamed test must not leave an empty, green run, nor a skipped one.
    log=$(mktemp)
    trap 'rm -f "$log"' EXIT
    (cd "$dir" && ctest --output-on-failure --no-tests=error -j "$jobs" --timeout 900 \
      -R 'Concurrent|SeveralThreads') | tee "$log"
    ./scripts/refuse-skipped-tests.sh "$log"
    ;;
  *)
    echo "usage: $0 asan|tsan" >&2
    exit 2
    ;;
esac
