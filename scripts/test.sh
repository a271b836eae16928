#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite in three configurations:
#   build/        optimised with debug info
#   build-asan/   AddressSanitizer + UndefinedBehaviorSanitizer
#   build-tsan/   ThreadSanitizer, for the tests labelled "threads"
# Usage: scripts/test.sh [ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
export SDL_AUDIODRIVER=disk
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

run() { echo "+ $*"; "$@"; }

configure_and_build() {  # dir, extra cmake args...
  local dir=$1; shift
  run cmake -S . -B "$dir" -G Ninja "$@"
  run cmake --build "$dir" -j "$jobs"
}

configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNARRELO_BUILD_BENCH=ON
run ctest --test-dir build --output-on-failure -j "$jobs" "$@"

configure_and_build build-asan -DCMAKE_BUILD_TYPE=Debug -DNARRELO_SANITIZE=address,undefined \
  -DNARRELO_BUILD_BENCH=OFF
run ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE no-asan "$@"

configure_and_build build-tsan -DCMAKE_BUILD_TYPE=Debug -DNARRELO_SANITIZE=thread \
  -DNARRELO_BUILD_BENCH=OFF
run ctest --test-dir build-tsan --output-on-failure -j "$jobs" -L threads "$@"

echo "All tests passed in all configurations."
