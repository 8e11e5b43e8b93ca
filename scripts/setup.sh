#!/usr/bin/env bash
# Installs the build dependencies from Debian's packages (when missing), then
# configures and builds kestrum. Works as root and through sudo; safe to repeat.
#
#   scripts/setup.sh [BUILD_DIR] [extra cmake arguments...]
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${1:-"$repo/build"}
shift || true

packages=(cmake make g++
          libopencv-core-dev libopencv-imgproc-dev libopencv-imgcodecs-dev
          nlohmann-json3-dev libtinyxml2-dev zlib1g-dev libgtest-dev go-md2man groff-base)
if [[ " $* " == *"KESTRUM_BUILD_BENCHMARKS=ON"* ]]; then
  packages+=(libbenchmark-dev)
fi

"$repo/scripts/install-missing-packages.sh" "${packages[@]}"

cmake -S "$repo" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$build_dir" -j "$(nproc)"
