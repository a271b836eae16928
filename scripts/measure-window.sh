#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Measures the reading window during scripted readings (bench/window_bench.cpp): time from
# Read to the first sound, the longest event-loop gap, the Read command's own time, the
# longest gap and the Stop command's time while a call to a service that never answers
# hangs, and memory over ten readings of a long text. Under Xvfb, with SDL's disk driver and
# a private local speech service. Extra arguments go to bench_window (--readings N,
# --memory N).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/window-bench-common.sh

start_demo_server
run xvfb-run -a -s "-screen 0 1366x768x24 -dpi 96" \
  env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null XDG_CONFIG_HOME="$work" \
  build/bench/bench_window "DemoServer=${endpoint}" "$@"
