#!/usr/bin/env bash
# Sets everything up, builds, and runs the whole test suite.
#
#   scripts/run-tests.sh             native build in build/
#   scripts/run-tests.sh --sanitize  AddressSanitizer and UndefinedBehaviorSanitizer build in build-sanitize/
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [[ "${1:-}" == "--sanitize" ]]; then
  build_dir="$repo/build-sanitize"
  "$repo/scripts/setup.sh" "$build_dir" -DKESTRUM_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  build_dir="$repo/build"
  "$repo/scripts/setup.sh" "$build_dir"
fi
ctest --test-dir "$build_dir" --output-on-failure -j 2
