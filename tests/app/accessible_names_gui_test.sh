#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What a screen reader finds in the reading window, in both interface languages: the real
# program on the display the tests run under, with a session bus and an accessibility bus of
# its own (the tests elsewhere turn the bridge off), read through AT-SPI by the system's
# Python (where Debian's pyatspi is), whatever python3 comes first in PATH.
# Usage: accessible_names_gui_test.sh NARRELO NARRELO_REG
set -euo pipefail
narrelo=$1 reg=$2
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME=$scratch/config XDG_STATE_HOME=$scratch/state XDG_RUNTIME_DIR=$scratch/run
mkdir -p "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# The web link, pressed through AT-SPI, opens its page with xdg-open: a stand-in that writes
# down what it was asked to open.
mkdir -p "$scratch/bin"
export NARRELO_OPENED=$scratch/opened.txt
cat >"$scratch/bin/xdg-open" <<EOF
#!/bin/sh
printf '%s\n' "\$@" >> "$NARRELO_OPENED"
EOF
chmod 755 "$scratch/bin/xdg-open"
export PATH=$scratch/bin:$PATH
unset NO_AT_BRIDGE DBUS_SESSION_BUS_ADDRESS
export GTK_A11Y=atk

check() {  # language
  local language=$1 status=0
  if [ "$language" = en ]; then
    "$reg" add 'HKCU\Software\Valtrosa\Narrelo' /v InterfaceIsEnglish /t REG_DWORD /d 1 /f >/dev/null
  fi
  rm -f "$NARRELO_OPENED"
  dbus-run-session -- bash -c '
    "$1" & pid=$!
    /usr/bin/python3 "$2/accessible_names.py" "$pid" "$3"; status=$?
    kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
    exit $status' _ "$narrelo" "$here" "$language" || status=$?
  return $status
}

check tr
check en
