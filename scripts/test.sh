#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
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
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
# No session bus and no accessibility bridge under Xvfb: GTK would otherwise try to reach (or
# start) them while a window test starts, and now and then wait there for minutes.
export NO_AT_BRIDGE=1 DBUS_SESSION_BUS_ADDRESS=disabled:

run() { echo "+ $*"; "$@"; }
xvfb=(xvfb-run -a -s "-screen 0 1366x768x24 -dpi 96")

configure() {  # dir, extra cmake args...
  local dir=$1; shift
  run cmake -S . -B "$dir" -G Ninja "$@"
}
configure_and_build() {  # dir, extra cmake args...
  configure "$@"
  run cmake --build "$1" -j "$jobs"
}

configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNARRELO_BUILD_BENCH=ON
run "${xvfb[@]}" ctest --test-dir build --output-on-failure -j "$jobs" "$@"

configure_and_build build-asan -DCMAKE_BUILD_TYPE=Debug -DNARRELO_SANITIZE=address,undefined \
  -DNARRELO_BUILD_BENCH=OFF
run "${xvfb[@]}" ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE no-asan "$@"

# ThreadSanitizer runs only the tests labelled "threads", so only their programs (and what
# they depend on) are built: tests/<layer>/<name>_threads_test.cpp is target <layer>_<name>.
configure build-tsan -DCMAKE_BUILD_TYPE=Debug -DNARRELO_SANITIZE=thread -DNARRELO_BUILD_BENCH=OFF
tsan_targets=()
for f in tests/*/*_threads_test.cpp; do
  layer=$(basename "$(dirname "$f")")
  tsan_targets+=("${layer}_$(basename "$f" .cpp)")
done
run cmake --build build-tsan -j "$jobs" --target "${tsan_targets[@]}"
run ctest --test-dir build-tsan --output-on-failure -j "$jobs" -L threads -LE gui "$@"

echo "All tests passed in all configurations."
