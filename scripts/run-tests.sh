#!/usr/bin/env bash
# Runs every test of a build directory (default: build); extra arguments go to ctest.
#
# Tests that need something the machine may lack skip themselves, so that a developer without it
# still gets a green run of the rest: those that run OpenCL kernels carry the ctest label `opencl`
# (gtest_discover_tests(... PROPERTIES LABELS opencl), or a suite's OPENCL filter in Core/test) and
# skip when no device is found; others skip without OpenImageIO's FFmpeg reader, and the farm test
# without Slurm. CI sets LC_REQUIRE_OPENCL=1, which fails the run when `clinfo -l` lists no
# device, and LC_NO_SKIPS=1, which fails it when any test reports a skip, whatever its label
# (scripts/refuse-skipped-tests.sh): a skip must never hide a broken renderer or reader.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
dir=${1:-build}
shift || true
jobs=${JOBS:-$(nproc)}
require=${LC_REQUIRE_OPENCL:-0}

if [ "$require" = 1 ] && ! clinfo -l 2>/dev/null | grep -q 'Device #'; then
  echo "No OpenCL device is listed by clinfo -l; the opencl tests would only skip." >&2
  exit 1
fi

cd "$dir"
others=$(mktemp)
opencl=$(mktemp)
trap 'rm -f "$others" "$opencl"' EXIT
ctest --output-on-failure --no-tests=error -j "$jobs" -LE opencl "$@" | tee "$others"
ctest --output-on-failure --no-tests=error -j "$jobs" -L opencl "$@" | tee "$opencl"
"$here/refuse-skipped-tests.sh" "$others"
# A required device makes every opencl test required too.
LC_NO_SKIPS=$([ "$require" = 1 ] && echo 1 || echo "${LC_NO_SKIPS:-0}") \
  "$here/refuse-skipped-tests.sh" "$opencl"
