#!/usr/bin/env bash
# Runs every Google Benchmark program of a build directory (default: build). Extra arguments go
# to each program, e.g. --benchmark_filter=1080 or --benchmark_repetitions=3.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
for program in "$dir"/bench/*/*Benchmark "$dir"/bench/tools/*/*Benchmark; do
  [ -x "$program" ] || continue
  echo "== $(basename "$program")"
  "$program" "$@"
done
# The Python module's benchmark, where the module and its baseline were built.
if compgen -G "$dir/bench/python/lenscorrection_bench*.so" > /dev/null; then
  echo "== correct_benchmark.py"
  PYTHONPATH="$dir/python:$dir/bench/python" /usr/bin/python3 bench/python/correct_benchmark.py
fi
