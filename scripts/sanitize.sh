#!/usr/bin/env bash
# Builds the project with AddressSanitizer and UndefinedBehaviorSanitizer into its own directory
# and runs the whole test suite there. Any report fails the run; the toolkit's own known noise is
# suppressed by the file beside this script.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-asan}
jobs=${JOBS:-2}
here=$(pwd)/scripts/sanitizer

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELTROV_SANITIZE=ON
cmake --build "$build" -j"$jobs"

# The accessibility bridge GTK starts keeps its bus buffers for the life of the process; under a
# virtual display there is no bus to talk to, so it is not started.
export NO_AT_BRIDGE=1
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$build"
bash ../scripts/with-display.sh ctest --output-on-failure -j"$jobs"
