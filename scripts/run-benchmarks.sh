#!/usr/bin/env bash
# Sets up (with Google Benchmark), builds in build-benchmarks/ with optimisation,
# and runs kestrum-benchmarks. Extra arguments go to the benchmark program, for
# example --benchmark_filter=KinectFrame or --benchmark_repetitions=5.
#
#   scripts/run-benchmarks.sh [benchmark arguments...]
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir="$repo/build-benchmarks"
"$repo/scripts/setup.sh" "$build_dir" -DKESTRUM_BUILD_BENCHMARKS=ON -DKESTRUM_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
"$build_dir/benchmarks/kestrum-benchmarks" "$@"
