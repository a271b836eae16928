#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes docs/window.png: the reading window in the middle of a reading, under Xvfb, reading
# from a private local speech service. Builds what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/window-bench-common.sh

start_demo_server
mkdir -p docs
run xvfb-run -a -s "-screen 0 1366x768x24 -dpi 96" \
  env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null XDG_CONFIG_HOME="$work" \
  build/bench/bench_window "DemoServer=${endpoint}" --screenshot docs/window.png
