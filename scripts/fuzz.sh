#!/usr/bin/env bash
# `fuzz.sh build` builds the libFuzzer targets with clang, ASan and UBSan into build-fuzz.
# `fuzz.sh run SECONDS` builds them and runs each for SECONDS on a copy of its committed corpus;
# any crash, leak or sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLC_BUILD_FUZZERS=ON \
  -DLC_BUILD_TESTS=OFF -DLC_BUILD_BENCHMARKS=OFF -DLC_BUILD_PLUGINS=ON \
  -DLC_SANITIZE=address,undefined > /dev/null
cmake --build "$dir" -j "$(nproc)"
[ "${1:-build}" = "run" ] || exit 0

seconds=${2:-30}
export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
for fuzzer in "$dir"/Core/fuzz/fuzz_* "$dir"/src/AePlugin/fuzz/fuzz_* \
  "$dir"/ClipProcessing/fuzz/fuzz_* "$dir"/src/LensCorrection/fuzz/fuzz_* \
  "$dir"/test/fuzz/fuzz_*; do
  [ -f "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  target=${name#fuzz_}
  # Corpus and dictionary beside the target's sources: <source folder>/corpus/<target>.
  source=$(dirname "${fuzzer#"$dir"/}")
  corpus="$source/corpus/$target"
  if [ ! -d "$corpus" ] || [ -z "$(ls -A "$corpus")" ]; then
    echo "$name: no seed corpus in $corpus" >&2
    exit 1
  fi
  work=$(mktemp -d)
  cp -r "$corpus/." "$work/"
  dict=()
  [ -f "$source/$target.dict" ] && dict=("-dict=$source/$target.dict")
  echo "== $name: ${seconds}s"
  log="$dir/$name.log"
  status=0
  "$fuzzer" "$work" "${dict[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$dir/$name-" -print_final_stats=1 > "$log" 2>&1 || status=$?
  grep -E '^(stat::(number_of_executed_units|new_units_added)|Done)' "$log" || true
  rm -rf "$work"
  if [ "$status" -ne 0 ]; then
    tail -60 "$log" >&2
    echo "$name failed (exit $status); artifacts in $dir" >&2
    exit 1
  fi
done
