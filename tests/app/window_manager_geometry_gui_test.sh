#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The reading window's controls stand at the same places in its client area with and without
# a window manager: runs the geometry test program (app_main_form_geometry_gui_test) on an X
# server of its own, once bare and once under openbox, and compares the rectangles of every
# control that it wrote. The X server is private so that openbox never frames the windows of
# other tests running beside this one; it and openbox are ended whatever happens.
# Usage: window_manager_geometry_gui_test.sh GEOMETRY_TEST
set -euo pipefail
probe=$1
scratch=$(mktemp -d)
xvfb_pid="" openbox_pid=""
cleanup() {
  for pid in $openbox_pid $xvfb_pid; do
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

export XDG_CONFIG_HOME=$scratch/config XDG_STATE_HOME=$scratch/state XDG_CACHE_HOME=$scratch/cache
mkdir -p "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_CACHE_HOME"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null NO_AT_BRIDGE=1 DBUS_SESSION_BUS_ADDRESS=disabled:

# The server picks a free display number itself and writes it down once it listens.
Xvfb -displayfd 3 -screen 0 1366x768x24 -dpi 96 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 1 100); do  # at most 10 s
  [ -s "$scratch/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { cat "$scratch/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
[ -s "$scratch/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$scratch/display")"
unset XAUTHORITY

NARRELO_GEOMETRY_FILE=$scratch/bare.txt "$probe"

# A busy X server now and then refuses a connection: openbox is started again (three times
# at most) when it ends before it manages the screen.
managing() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
for attempt in 1 2 3; do
  openbox --sm-disable >"$scratch/openbox.log" 2>&1 &
  openbox_pid=$!
  for _ in $(seq 1 100); do  # at most 10 s until it manages the screen
    managing && break
    kill -0 "$openbox_pid" 2>/dev/null || break
    sleep 0.1
  done
  managing && break
  kill -TERM "$openbox_pid" 2>/dev/null || true
  wait "$openbox_pid" 2>/dev/null || true
  openbox_pid=""
done
managing || { cat "$scratch/openbox.log" >&2; echo "openbox did not start" >&2; exit 1; }

NARRELO_EXPECT_FRAME=1 NARRELO_GEOMETRY_FILE=$scratch/framed.txt "$probe"

if ! diff -u "$scratch/bare.txt" "$scratch/framed.txt"; then
  echo "the controls moved under a window manager (- bare, + under openbox)" >&2
  exit 1
fi
echo "ok: $(wc -l <"$scratch/bare.txt") controls at the same places with and without a window manager"
