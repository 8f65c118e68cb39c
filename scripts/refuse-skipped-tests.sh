#!/usr/bin/env bash
# Fails when a ctest log names a skipped test and LC_NO_SKIPS=1 (CI sets it): a test that skips
# itself for a missing reader, device or program must never pass for a green run, whatever its
# label. ctest reports as skipped a GoogleTest case that called GTEST_SKIP(), a pytest suite with
# a skipped test (exit status 77, test/python/conftest.py) and a script test that exits 77.
# Usage: refuse-skipped-tests.sh CTEST-LOG
set -euo pipefail
log=$1
if [ "${LC_NO_SKIPS:-0}" = 1 ] && grep -q '\*\*\*Skipped' "$log"; then
  echo "Tests were skipped; with LC_NO_SKIPS=1 every test must run:" >&2
  grep '\*\*\*Skipped' "$log" >&2
  exit 1
fi
