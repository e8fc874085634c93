#!/usr/bin/env bash
# Builds everything a second time with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-sanitize/ and runs every test there;
# any report fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export QUORVANE_BUILD_DIR=$root/build-sanitize
export QUORVANE_CMAKE_ARGS="-DQUORVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug"
"$root/scripts/setup.sh"
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$root/scripts/leak-suppressions.txt:print_suppressions=0
cd "$QUORVANE_BUILD_DIR"
ctest --output-on-failure --timeout 900 -j 2
