#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; skips what is there.
set -euo pipefail

packages=(
  g++ cmake make pkg-config git
  clang clang-format-14 libclang-rt-dev
  libboost-dev libboost-filesystem-dev libboost-system-dev
  liblapack-dev libopenblas-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  ocl-icd-opencl-dev opencl-headers pocl-opencl-icd clinfo
  libopenimageio-dev openimageio-tools libcli11-dev
  slurm-wlm munge
  pybind11-dev python3-dev python3-numpy python3-pytest python3-openimageio
  nlohmann-json3-dev python3-matplotlib
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
