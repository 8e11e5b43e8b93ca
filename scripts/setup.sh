#!/usr/bin/env bash
# Installs the build dependencies from Debian's packages (when missing), then
# configures and builds kestrum. Works as root and through sudo; safe to repeat.
#
#   scripts/setup.sh [BUILD_DIR] [extra cmake arguments...]
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${1:-"$repo/build"}
shift || true

packages=(cmake make g++ pkg-config
          libopencv-core-dev libopencv-imgproc-dev libopencv-imgcodecs-dev
          libgtest-dev)
if [[ " $* " == *"KESTRUM_BUILD_BENCHMARKS=ON"* ]]; then
  packages+=(libbenchmark-dev)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if ((${#missing[@]})); then
  as_root=()
  if [[ $(id -u) -ne 0 ]]; then
    as_root=(sudo)
  fi
  echo "Installing: ${missing[*]}"
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$repo" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$build_dir" -j "$(nproc)"
