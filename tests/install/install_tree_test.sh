#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a temporary prefix, moves the installed tree elsewhere (so that only
# lookups relative to the programs can work) and uses it with nothing from the build tree:
# the programs' --version, a settings round trip, the data folder, the desktop files, the
# manual pages and, once they exist, narrelo-demoserver and narrelo-say working together.
# Usage: install_tree_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
src=$(cd "$(dirname "$0")/../.." && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/narrelo-install-XXXXXX")
server=""
cleanup() {
  if [ -n "$server" ]; then kill -TERM "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/staged" >/dev/null
# Every unit verifies clean where it was installed (it names the installed program, so before
# the move), the system's as systemd reads them and the user's as a user manager does.
if command -v systemd-analyze >/dev/null && [ -x "$work/staged/bin/narrelo-demoserver" ]; then
  mkdir -p "$work/verify-runtime" && chmod 0700 "$work/verify-runtime"
  for kind in system user; do
    flag=""; [ "$kind" = user ] && flag=--user
    verified=$(cd "$work/staged/lib/systemd/$kind" && MANPATH=$work/staged/share/man \
      XDG_RUNTIME_DIR=$work/verify-runtime systemd-analyze verify $flag ./narrelo-demoserver.socket \
      ./narrelo-demoserver.service 2>&1) ||
      fail "systemd-analyze verify of the $kind units: $verified"
    [ -z "$verified" ] || fail "systemd-analyze verify of the $kind units says: $verified"
  done
fi
mv "$work/staged" "$work/tree"
tree=$work/tree
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache TMPDIR=$work
export PATH=/usr/bin:/bin

# Every program answers --version with the build's version (without a display: nothing else
# is started) and has its manual page, which renders without warnings.
programs=()
for exe in "$tree"/bin/*; do programs+=("$(basename "$exe")"); done
[ ${#programs[@]} -gt 0 ] || fail "no program installed"
for p in "${programs[@]}"; do
  [ "$("$tree/bin/$p" --version)" = "$p $version" ] || fail "$p --version"
  # Every program explains itself (without a display: the window program opens nothing).
  "$tree/bin/$p" --help | grep -q "^Usage: $p" || fail "$p --help"
  page=$tree/share/man/man1/$p.1.gz
  [ -f "$page" ] || fail "no manual page for $p"
  # -k: the page is UTF-8 (Turkish labels), read through preconv as man(1) reads it.
  warnings=$(zcat "$page" | groff -k -man -Tutf8 -ww -z 2>&1)
  [ -z "$warnings" ] || fail "manual page of $p: $warnings"
  # Examples are literal blocks: each command renders as one line of its own, as written
  # (an indented paragraph would be filled into one line and hyphenated). A command line
  # indented in the source outside such a block is the same fault before it shows.
  scd=$src/packaging/man/$p.1.scd
  if grep -nP '^\t+(narrelo[a-z-]*|systemctl|sudo|apt) ' "$scd"; then
    fail "$p.1.scd has the commands above outside a literal block (\`\`\`)"
  fi
  rendered=$(zcat "$page" | groff -k -man -Tutf8 -P-cbou 2>/dev/null | sed 's/\xe2\x80\x90/-/g; s/\xe2\x88\x92/-/g; s/^ *//; s/ *$//')
  while IFS= read -r line; do
    [ -n "$line" ] || continue
    grep -qxF -- "$line" <<<"$rendered" || fail "$p(1) does not render the example line '$line' as it is written"
  done < <(awk '/^```/ { inside = !inside; next } inside { sub(/^[ \t]+/, ""); sub(/[ \t]+$/, ""); gsub(/\\\\/, "\\"); print }' "$scd")
  # Installed programs carry no search path into the build tree.
  if readelf -d "$tree/bin/$p" | grep -E 'RPATH|RUNPATH'; then fail "$p has a run path"; fi
done

# Settings round trip through the installed narrelo-reg.
reg=$tree/bin/narrelo-reg
"$reg" add 'HKCU\Software\Valtrosa' /v DemoServer /t REG_SZ /d 'http://127.0.0.1:1/soap' /f >/dev/null
"$reg" add 'HKCU\Software\Valtrosa\Narrelo' /v InterfaceIsEnglish /t REG_DWORD /d 1 /f >/dev/null
"$reg" query 'HKCU\Software\Valtrosa' /v demoserver | grep 'DemoServer *REG_SZ *http://127.0.0.1:1/soap' >/dev/null ||
  fail "REG_SZ round trip"
"$reg" query 'HKCU\Software\Valtrosa\Narrelo' /v InterfaceIsEnglish | grep 'REG_DWORD *0x1' >/dev/null ||
  fail "REG_DWORD round trip"
[ -f "$XDG_CONFIG_HOME/valtrosa/registry.sqlite" ] || fail "the store is not where the settings live"
"$reg" delete 'HKCU\Software\Valtrosa' /f >/dev/null

# The data folder, the same bytes the build staged.
data=$tree/share/narrelo
cmp -s "$data/warn.wav" "$build/share/narrelo/warn.wav" || fail "warn.wav"

# Desktop entry, metainfo, icons.
desktop-file-validate "$tree/share/applications/narrelo.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$tree/share/metainfo/com.valtrosa.Narrelo.metainfo.xml" >/dev/null ||
  fail "metainfo"
for size in 48 128; do
  file "$tree/share/icons/hicolor/${size}x$size/apps/narrelo.png" | grep "PNG image data, $size x $size" >/dev/null ||
    fail "icon ${size}x$size"
done

# The local speech service and the command-line reader, when they are part of the build.
if [ -x "$tree/bin/narrelo-demoserver" ]; then
  [ -f "$tree/lib/systemd/user/narrelo-demoserver.service" ] || fail "no user unit"
  [ -f "$tree/lib/systemd/user/narrelo-demoserver.socket" ] || fail "no user socket unit"
  grep -q '^ListenStream=%t/narrelo/demoserver.sock$' "$tree/lib/systemd/user/narrelo-demoserver.socket" ||
    fail "the user socket is not in the user's runtime folder"
  [ -f "$tree/lib/systemd/system/narrelo-demoserver.socket" ] || fail "no socket unit"
  [ -f "$tree/lib/systemd/system/narrelo-demoserver.service" ] || fail "no system service unit"
  # The units name the installed program by its full path (a --prefix install works).
  for unit in "$tree/lib/systemd/user/narrelo-demoserver.service" "$tree/lib/systemd/system/narrelo-demoserver.service"; do
    grep -q "^ExecStart=$work/staged/bin/narrelo-demoserver " "$unit" || fail "$unit: $(grep ExecStart "$unit")"
  done
  # Both services run sandboxed: systemd rates each one's exposure "OK" or better (the
  # user's as a user manager runs it).
  if command -v systemd-analyze >/dev/null; then
    mkdir -p "$work/runtime" && chmod 0700 "$work/runtime"
    for kind in system user; do
      flag=""; [ "$kind" = user ] && flag=--user
      rating=$(XDG_RUNTIME_DIR="$work/runtime" systemd-analyze security --offline=true --no-pager $flag \
        "$tree/lib/systemd/$kind/narrelo-demoserver.service" 2>/dev/null |
        sed -n 's/.*Overall exposure level for [^:]*: [0-9.]* \([A-Z]*\).*/\1/p')
      case "$rating" in SAFE|OK) ;; *) fail "the $kind service unit's exposure is rated '$rating'" ;; esac
    done
  fi
  "$tree/bin/narrelo-demoserver" --bind 127.0.0.1 --port 0 --key-file "$work/key" \
    --cache-dir "$work/audio" >"$work/server.out" 2>"$work/server.err" &
  server=$!
  url=""
  for _ in $(seq 200); do
    url=$(sed -n 's|^narrelo-demoserver listening on \(http://127\.0\.0\.1:[0-9]*\)$|\1|p' "$work/server.out")
    [ -n "$url" ] && break
    kill -0 "$server" 2>/dev/null || fail "the server ended: $(cat "$work/server.err")"
    sleep 0.1
  done
  [ -n "$url" ] || fail "the server did not start"
  endpoint=$url/Project2.DemoServer/soap/IDemoServer
  [ "$(curl -sf --max-time 20 "$url/demoserver.txt" | tr -d '\r\n ')" = "$endpoint" ] ||
    fail "server list"
  # The web pages come from the installed data folder.
  curl -sf --max-time 20 -o "$work/index.html" "$url/" || fail "web pages not found"
  cmp -s "$work/index.html" "$tree/share/narrelo/web/index.html" || fail "web page differs from the installed one"

  if [ -x "$tree/bin/narrelo-say" ]; then
    "$tree/bin/narrelo-say" --server "$endpoint" --no-pause --quiet --wav "$work/out.wav" \
      "Merhaba. Bu bir denemedir." || fail "narrelo-say"
    [ "$(head -c 4 "$work/out.wav")" = RIFF ] || fail "narrelo-say wrote no WAVE file"
    [ "$(stat -c %s "$work/out.wav")" -gt 16000 ] || fail "narrelo-say wrote almost no sound"
  fi
fi
echo "installed tree OK: ${programs[*]}"
