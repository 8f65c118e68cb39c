#!/usr/bin/env bash
# Fails when a tracked source differs from clang-format's output, or when a kernel does not
# compile as OpenCL C 1.2 (syntax only; no device needed).
set -euo pipefail
cd "$(dirname "$0")/.."
# Pinned: formatting changes between clang-format versions (scripts/install-deps.sh installs it).
clang-format-14 --dry-run --Werror $(git ls-files '*.h' '*.cpp' '*.cl')
# Each kernel source is embedded after the helpers in KernelCommon.cl, and checked that way.
for kernel in $(git ls-files '*.cl'); do
  common=$(dirname "$kernel")/KernelCommon.cl
  if [ "$(basename "$kernel")" != KernelCommon.cl ] && [ -f "$common" ]; then
    clang -x cl -cl-std=CL1.2 -fsyntax-only -include "$common" "$kernel"
  else
    clang -x cl -cl-std=CL1.2 -fsyntax-only "$kernel"
  fi
done
echo "format and kernel syntax: ok"
