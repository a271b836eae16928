#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite in three configurations:
#   build/        optimised with debug info
#   build-asan/   AddressSanitizer + UndefinedBehaviorSanitizer
#   build-tsan/   ThreadSanitizer, for the tests labelled "threads"
# Tests run under a virtual X server (Xvfb, 96 DPI), so the window tests (label "gui") have a
# display. The ThreadSanitizer run leaves them out: GTK and GLib are not built with it, so it
# reports their internal threads; the cross-thread paths of the window layer have tests of
# their own that need no display (label "threads").
# Usage: scripts/test.sh [ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
export SDL_AUDIODRIVER=disk
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Leaks kept on purpose by system libraries (D-Bus, GLib/GTK) that SDL and wx load under a display.
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

run() { echo "+ $*"; "$@"; }
xvfb=(xvfb-run -a -s "-screen 0 1366x768x24 -dpi 96")

configure_and_build() {  # dir, extra cmake args...
  local dir=$1; shift
  run cmake -S . -B "$dir" -G Ninja "$@"
  run cmake --build "$dir" -j "$jobs"
}

configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
run "${xvfb[@]}" ctest --test-dir build --output-on-failure -j "$jobs" "$@"

configure_and_build build-asan -DCMAKE_BUILD_TYPE=Debug -DNARRELO_SANITIZE=address,undefined \
  -DNARRELO_BUILD_BENCH=OFF
run "${xvfb[@]}" ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE no-asan "$@"

configure_and_build build-tsan -DCMAKE_BUILD_TYPE=Debug -DNARRELO_SANITIZE=thread \
  -DNARRELO_BUILD_BENCH=OFF
run ctest --test-dir build-tsan --output-on-failure -j "$jobs" -L threads -LE gui "$@"

echo "All tests passed in all configurations."
