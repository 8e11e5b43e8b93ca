#!/usr/bin/env bash
# Sets everything up, builds, and runs the whole test suite.
#
#   scripts/run-tests.sh             native build in build/
#   scripts/run-tests.sh --sanitize  AddressSanitizer and UndefinedBehaviorSanitizer build in build-sanitize/
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The suite runs the programs against the simulated cameras, even where a real SDK is installed.
simulated=(-DKESTRUM_ORBBEC_SDK=SIMULATED -DKESTRUM_FREENECT2=SIMULATED)
if [[ "${1:-}" == "--sanitize" ]]; then
  build_dir="$repo/build-sanitize"
  "$repo/scripts/setup.sh" "$build_dir" "${simulated[@]}" -DKESTRUM_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  build_dir="$repo/build"
  "$repo/scripts/setup.sh" "$build_dir" "${simulated[@]}"
fi
ctest --test-dir "$build_dir" --output-on-failure -j 2
