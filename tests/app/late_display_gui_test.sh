#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A display that refuses the first connection (here: its X server starts only after the
# program): narrelo tries again, opens its window, and shows no error box about the refused
# attempt. It runs an X server of its own on a free display number, started 0.6 s late.
# Usage: late_display_gui_test.sh NARRELO
set -euo pipefail
narrelo=$1
scratch=$(mktemp -d)
app="" xserver=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null
  [ -n "$xserver" ] && kill "$xserver" 2>/dev/null
  wait 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

number=""
for n in $(seq 170 230); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then number=$n; break; fi
done
[ -n "$number" ] || fail "no free display number"
export DISPLAY=:$number
export XDG_CONFIG_HOME=$scratch/config XDG_STATE_HOME=$scratch/state XDG_RUNTIME_DIR=$scratch/run
mkdir -p "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null NO_AT_BRIDGE=1 DBUS_SESSION_BUS_ADDRESS=disabled:

"$narrelo" 2>"$scratch/stderr.txt" &
app=$!
sleep 0.6
Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xserver=$!

shown() { xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -q .; }
for _ in $(seq 100); do
  shown '^Valtrosa$' && break
  kill -0 "$app" 2>/dev/null || { cat "$scratch/stderr.txt" >&2; fail "narrelo ended without a window"; }
  sleep 0.1
done
shown '^Valtrosa$' || { cat "$scratch/stderr.txt" >&2; fail "the reading window never appeared"; }
sleep 1  # an error box would come with the first idle pass
if shown 'Error'; then fail "an error box about the refused attempt is shown"; fi
grep -q "GTK" "$scratch/stderr.txt" || fail "the refused attempt was not reported on standard error"
echo "ok: the window opened on the second attempt, without an error box"
