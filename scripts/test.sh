#!/usr/bin/env bash
# Builds the program twice (warnings as errors; then with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs the whole test suite on each build.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh

export CTEST_OUTPUT_ON_FAILURE=1
jobs=$(nproc 2>/dev/null || echo 2)

cmake --preset ci
cmake --build build-ci -j "$jobs"
ctest --test-dir build-ci -j "$jobs"

# Qt keeps some allocations for the life of the process; LeakSanitizer reports
# of our own code still count through the suppressions file.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cmake --preset asan
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan -j "$jobs"
