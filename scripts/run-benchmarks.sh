#!/usr/bin/env bash
# Sets up (with Google Benchmark), builds in build-benchmarks/ with optimisation,
# and runs kestrum-benchmarks: five repetitions of every benchmark, interleaved at
# random so that a passing load on a shared machine does not hit one benchmark
# alone, reported as mean, median and spread; the closing lines use the medians.
# Extra arguments go to the benchmark program and override these, for example
# --benchmark_filter=KinectFrame or --benchmark_repetitions=1.
#
#   scripts/run-benchmarks.sh [benchmark arguments...]
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir="$repo/build-benchmarks"
"$repo/scripts/setup.sh" "$build_dir" -DKESTRUM_BUILD_BENCHMARKS=ON -DKESTRUM_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
"$build_dir/benchmarks/kestrum-benchmarks" --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true "$@"
