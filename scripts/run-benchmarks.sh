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
