#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian packages, made as a user makes them and used as installed. Builds them from a
# clean copy of the tree (scripts/build-deb.sh), twice, and wants the same .deb bytes both
# times (the second build takes the first one's compiler results from ccache, so this checks
# everything after the compiler; scripts/check-reproducible.sh compiles twice); runs lintian,
# which must report no error and no warning; checks the packages' relations, maintainer
# scripts and hardening; unpacks them into a scratch root and, with nothing from the source
# or build tree, shows that:
# - narrelo-say reads "Merhaba dünya." with no service running (it starts the installed
#   narrelo-demoserver on demand) and the second reading uses that same service;
# - the installed service, handed a listening socket by systemd-socket-activate as systemd
#   hands it, answers on it and ends itself after its idle time;
# - systemd rates the sandbox of the machine's service unit "OK" or better;
# - the reading window, opened under Xvfb, reads when Ctrl+Enter is pressed, starting the
#   installed service itself.
# Installed for real (as root), debian/tests runs, the speech-dispatcher output module's test
# among them, and purging leaves nothing behind.
# The readings use the user's own service on a socket in a runtime folder of the test's, and
# run in a network namespace of their own when the machine allows one (they need no network).
# Usage: install_deb_test.sh SOURCE_DIR BUILD_DIR VERSION
set -euo pipefail
src=$1
build=$2
version=$3

tmp_parent=${TMPDIR:-/tmp}
work=$(mktemp -d "$tmp_parent/narrelo-deb-XXXXXX")
activated=""
installed=""
purge_packages() {  # those of the five that are installed (autopkgtest installs what its tests need)
  local present
  present=$(dpkg-query -W -f='${Package} ${db:Status-Abbrev}\n' narrelo narrelo-tools narrelo-demoserver \
    narrelo-speechd narrelo-data 2>/dev/null | awk '$2 ~ /^.[ic]/ { print $1 }')
  [ -z "$present" ] && return 0
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive apt-get purge -y -q $present >"$work/purge.log" 2>&1
}
cleanup() {
  if [ -n "$activated" ]; then kill -TERM "$activated" 2>/dev/null || true; wait "$activated" 2>/dev/null || true; fi
  if [ -n "$installed" ]; then purge_packages || cat "$work/purge.log" >&2; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "== $* ($(date +%T))"; }

# --- Build, twice --------------------------------------------------------------------------
out=$build/deb
full=$(dpkg-parsechangelog -l "$src/debian/changelog" -S Version)
[ "${full%-*}" = "$version" ] ||
  fail "debian/changelog is at $full, the project at $version: add a changelog entry"
step "building the packages"
bash "$src/scripts/build-deb.sh" "$out" >/dev/null
mkdir "$work/first"
cp "$out"/*.deb "$work/first/"
step "building them again"
bash "$src/scripts/build-deb.sh" "$out" >/dev/null
for deb in "$work"/first/*.deb; do
  cmp -s "$deb" "$out/$(basename "$deb")" ||
    fail "$(basename "$deb") differs between two builds of the same tree (diffoscope shows how)"
done

packages=(narrelo narrelo-tools narrelo-demoserver narrelo-speechd narrelo-data)
deb_of() {
  local arch=amd64
  [ "$1" = narrelo-data ] && arch=all
  echo "$out/$1_${full}_$arch.deb"
}
for p in "${packages[@]}"; do [ -f "$(deb_of "$p")" ] || fail "no package $p: $(ls "$out")"; done

# --- lintian -------------------------------------------------------------------------------
step "lintian"
# The source and binary packages, down to pedantic and experimental tags: every tag that
# stands is overridden in debian/ with its reason.
lintian -EIL +pedantic --fail-on error,warning --tag-display-limit 0 "$out/narrelo_${full}_amd64.changes" \
  >"$work/lintian.txt" 2>&1 || fail "lintian: $(cat "$work/lintian.txt")"
if grep -E '^[EWIPX]: ' "$work/lintian.txt"; then fail "lintian reports the above"; fi

# --- Relations and maintainer scripts --------------------------------------------------------
field() { dpkg-deb -f "$(deb_of "$1")" "$2"; }
names() { tr ',' '\n' | sed 's/^ *//; s/ *$//'; }
window_depends=$(field narrelo Depends | names)
for wanted in fonts-liberation2 "narrelo-data (= $full)" xdg-utils; do
  grep -qxF "$wanted" <<<"$window_depends" || fail "narrelo does not depend on $wanted"
done
grep -qxF narrelo-demoserver <<<"$(field narrelo Recommends | names)" || fail "narrelo does not recommend the service"
grep -qxF "narrelo-data (= $full)" <<<"$(field narrelo-demoserver Depends | names)" || fail "narrelo-demoserver's Depends"
# The output module is started by speech-dispatcher (0.11 or later: audio goes back to the
# server), and needs neither the service nor the data package.
speechd_depends=$(field narrelo-speechd Depends | names)
grep -qxF "speech-dispatcher (>= 0.11)" <<<"$speechd_depends" || fail "narrelo-speechd does not depend on speech-dispatcher (>= 0.11)"
if grep -E '^narrelo' <<<"$speechd_depends"; then fail "narrelo-speechd depends on the above"; fi
[ "$(field narrelo-data Architecture)" = all ] || fail "narrelo-data is not architecture-independent"
# The machine-wide socket is an administrator's choice: installed, never enabled by the
# package (the "don't enable" form only keeps an administrator's choice across upgrades);
# the machine's service and each user's service are started only by their sockets. Removal
# stops every unit and every service started on demand; purging forgets the machine-wide
# service's key and cache. (Installed for real below, the packages show the same.)
script() { dpkg-deb --ctrl-tarfile "$(deb_of narrelo-demoserver)" | tar -xO "./$1"; }
script postinst >"$work/postinst"
script prerm >"$work/prerm"
grep -q "deb-systemd-helper debian-installed 'narrelo-demoserver.socket'" "$work/postinst" ||
  fail "postinst does not leave the machine-wide socket to the administrator"
if grep -v -- --user "$work/postinst" | grep -F "'narrelo-demoserver.service'"; then
  fail "postinst enables or starts the machine's service itself"
fi
if grep -F -- "--user enable 'narrelo-demoserver.service'" "$work/postinst"; then
  fail "postinst enables the user service (not its socket) for every user"
fi
grep -q -- "--user enable 'narrelo-demoserver.socket'" "$work/postinst" ||
  fail "postinst does not enable the user socket for every user"
# debhelper's "don't enable" form enables the machine-wide socket again only inside its
# `if deb-systemd-helper debian-installed` block (an upgrade where an administrator had
# enabled it); an enable outside that block is the package enabling it itself.
enabling=$(awk '
  /^[[:space:]]*#/ { next }
  /^[[:space:]]*if / { depth++; if ($0 ~ /deb-systemd-helper debian-installed .narrelo-demoserver\.socket./) guard = depth }
  /deb-systemd-helper enable .narrelo-demoserver\.socket./ && !/--user/ && !guard { print }
  /^[[:space:]]*fi([[:space:];]|$)/ { if (depth == guard) guard = 0; depth-- }' "$work/postinst")
[ -z "$enabling" ] || fail "postinst enables the machine-wide socket: $enabling"
for unit in socket service; do
  grep -q "stop 'narrelo-demoserver.$unit'" "$work/prerm" || fail "removal does not stop the $unit"
done
grep -q -- "--user stop 'narrelo-demoserver.socket' 'narrelo-demoserver.service'" "$work/prerm" ||
  fail "removal does not stop the users' units"
grep -q "start-stop-daemon --stop .*--exec /usr/bin/narrelo-demoserver" "$work/prerm" ||
  fail "removal does not stop the services started on demand"
grep -q /var/lib/private/narrelo-demoserver <<<"$(script postrm)" || fail "purging leaves the service's key behind"

# --- Unpacked ------------------------------------------------------------------------------
root=$work/root
for p in "${packages[@]}"; do dpkg-deb -x "$(deb_of "$p")" "$root"; done
# The units are where systemd's pkg-config file says systemd looks for them.
system_units=$(pkg-config --variable=systemdsystemunitdir systemd)
user_units=$(pkg-config --variable=systemduserunitdir systemd)
for d in usr/share/narrelo/warn.wav usr/share/narrelo/XML usr/share/narrelo/web/index.html \
         usr/share/doc/narrelo/copyright "${system_units#/}/narrelo-demoserver.socket" \
         "${system_units#/}/narrelo-demoserver.service" "${user_units#/}/narrelo-demoserver.service" \
         "${user_units#/}/narrelo-demoserver.socket" usr/share/doc/narrelo-data/README.Debian.gz \
         usr/lib/speech-dispatcher-modules/sd_narrelo etc/speech-dispatcher/modules/narrelo.conf \
         usr/share/man/man1/sd_narrelo.1.gz; do
  [ -e "$root/$d" ] || fail "no /$d"
done
# The output module's configuration is the administrator's to change: a conffile, kept on
# upgrades.
dpkg-deb --ctrl-tarfile "$(deb_of narrelo-speechd)" | tar -xO ./conffiles | grep -qxF /etc/speech-dispatcher/modules/narrelo.conf ||
  fail "/etc/speech-dispatcher/modules/narrelo.conf is not a conffile"
# The developer's README once, in the shared data package, not in every package.
readmes=$(find "$root/usr/share/doc" -name 'README.md*' | sed "s|^$root||")
[ "$readmes" = /usr/share/doc/narrelo-data/README.md.gz ] || fail "README.md is shipped as: $readmes"
# The menu entry has one main category; the metainfo's release is dated by the changelog.
desktop-file-validate "$root/usr/share/applications/narrelo.desktop" || fail "desktop entry"
main_categories=$(sed -n 's/^Categories=//p' "$root/usr/share/applications/narrelo.desktop" | tr ';' '\n' |
  grep -cxE 'AudioVideo|Audio|Video|Development|Education|Game|Graphics|Network|Office|Science|Settings|System|Utility')
[ "$main_categories" = 1 ] || fail "the desktop entry has $main_categories main categories"
changelog_date=$(date -u -d "$(dpkg-parsechangelog -l "$src/debian/changelog" -S Date)" +%Y-%m-%d)
grep -q "<release version=\"$version\" date=\"$changelog_date\"/>" \
  "$root/usr/share/metainfo/com.valtrosa.Narrelo.metainfo.xml" || fail "the metainfo's release is not dated $changelog_date"
for exe in "$root"/usr/bin/* "$root"/usr/lib/speech-dispatcher-modules/sd_narrelo; do
  name=$(basename "$exe")
  # Hardened as dpkg-buildflags asks: position independent, bound at once, read-only
  # relocations, stack protector and fortified calls.
  # (grep reads the whole text: one that stopped early would fail the pipe under pipefail)
  grep -q 'Type: *DYN' <<<"$(readelf -h "$exe")" || fail "$name is not position independent"
  grep -q 'BIND_NOW\|FLAGS_1.*NOW' <<<"$(readelf -d "$exe")" || fail "$name is not bound at once"
  grep -q GNU_RELRO <<<"$(readelf -lW "$exe")" || fail "$name has no read-only relocations"
  symbols=$(readelf --dyn-syms -W "$exe")
  grep -q __stack_chk_fail <<<"$symbols" || fail "$name has no stack protector"
  grep -q '__[a-z]*_chk@' <<<"$symbols" || fail "$name has no fortified calls"
  case $exe in
    "$root"/usr/bin/*) [ "$("$exe" --version)" = "$name $version" ] || fail "$name --version" ;;
  esac
done
if grep -rlF "$out/.source" "$root" >&2; then fail "files name the build folder"; fi

# A library a program loads at run time by name (dlopen) is invisible to the shared-library
# scan: its package must be named in the Depends of the program's package all the same.
for p in narrelo narrelo-tools narrelo-demoserver narrelo-speechd; do
  depends=$(field "$p" Depends | names | sed 's/[ (].*//')
  for exe in $(dpkg-deb -c "$(deb_of "$p")" | sed -n 's|.* \./\(usr/bin/[^/][^/]*\)$|\1|p; s|.* \./\(usr/lib/speech-dispatcher-modules/[^/][^/]*\)$|\1|p'); do
    for soname in $(strings "$root/$exe" | grep -E '^lib[A-Za-z0-9_.+-]*\.so\.[0-9]+$' | sort -u); do
      path=$(ldconfig -p | awk -v s="$soname" '$1 == s && /x86-64/ && !found { print $NF; found = 1 }')
      [ -n "$path" ] || fail "$exe loads $soname, which this machine does not have"
      owner=$(dpkg -S "$(readlink -f "$path")" 2>/dev/null || dpkg -S "$path" 2>/dev/null) ||
        fail "no package owns $path"
      owner=${owner%%:*}
      grep -qxF "$owner" <<<"$depends" || fail "$exe loads $soname ($owner), which $p does not depend on"
    done
  done
done

# Both services' sandboxes: the machine's, and the user's as a user manager runs it.
mkdir -p "$work/analyze-runtime" && chmod 0700 "$work/analyze-runtime"
for units in "$system_units" "$user_units"; do
  flag=""; [ "$units" = "$user_units" ] && flag=--user
  rating=$(XDG_RUNTIME_DIR=$work/analyze-runtime systemd-analyze security --offline=true --no-pager $flag \
    "$root$units/narrelo-demoserver.service" 2>/dev/null |
    sed -n 's/.*Overall exposure level for [^:]*: [0-9.]* \([A-Z]*\).*/\1/p')
  case "$rating" in SAFE|OK) ;; *) fail "$units/narrelo-demoserver.service's exposure is rated '$rating'" ;; esac
done

# --- From the installed files only ---------------------------------------------------------
export PATH=$root/usr/bin:/usr/bin:/bin HOME=$work/home XDG_CONFIG_HOME=$work/config \
  XDG_CACHE_HOME=$work/cache XDG_STATE_HOME=$work/state TMPDIR=$work SDL_AUDIODRIVER=disk \
  SDL_DISKAUDIOFILE=$work/sdlaudio.raw NO_AT_BRIDGE=1 DBUS_SESSION_BUS_ADDRESS=disabled:
mkdir -p "$HOME"

# A free loopback port for systemd-socket-activate: tried until one binds.
step "socket activation"
for _ in $(seq 20); do
  port=$((20000 + RANDOM % 40000))
  ss -Htln "sport = :$port" | grep -q . && continue
  systemd-socket-activate -l "127.0.0.1:$port" \
    "$root/usr/bin/narrelo-demoserver" --idle-exit 1 --quiet --key-file "$work/socket.key" \
    --cache-dir "$work/socket-cache" >"$work/activate.out" 2>"$work/activate.err" &
  activated=$!
  for _ in $(seq 100); do
    grep -q "Listening on" "$work/activate.err" && break
    kill -0 "$activated" 2>/dev/null || break
    sleep 0.05
  done
  kill -0 "$activated" 2>/dev/null && break
  wait "$activated" 2>/dev/null || true
  activated=""
done
[ -n "$activated" ] || fail "systemd-socket-activate: $(cat "$work/activate.err")"
# systemd-socket-activate turns into the service on the first connection, which then
# answers on the socket it was given (it binds nothing itself) and ends itself when idle.
answer=$(curl -sf --max-time 20 "http://127.0.0.1:$port/demoserver.txt" | tr -d '\r\n ') ||
  fail "no answer on the handed-over socket: $(cat "$work/activate.err")"
[ "$answer" = "http://127.0.0.1:$port/Project2.DemoServer/soap/IDemoServer" ] || fail "server list: $answer"
[ "$(readlink "/proc/$activated/exe")" = "$root/usr/bin/narrelo-demoserver" ] ||
  fail "the answer did not come from the installed service"
for _ in $(seq 200); do kill -0 "$activated" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$activated" 2>/dev/null; then fail "the service did not end itself after its idle time"; fi
wait "$activated" || fail "the idle service exited with status $?"
activated=""

# The readings, in a network namespace of their own when there can be one.
cat >"$work/readings.sh" <<'EOF'
set -euo pipefail
root=$1
work=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
if [ "${NARRELO_OWN_NETWORK:-}" = 1 ]; then ip link set lo up; fi
# The readers' own runtime folder: the user's service listens on a socket there.
export XDG_RUNTIME_DIR=$work/runtime-say
mkdir -p "$XDG_RUNTIME_DIR" && chmod 0700 "$XDG_RUNTIME_DIR"
socket=$XDG_RUNTIME_DIR/narrelo/demoserver.sock
# Whatever the end, no installed service started here (on demand, by narrelo-say or by the
# window) outlives the test.
stop_installed_services() {
  local p
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/exe" 2>/dev/null)" = "$root/usr/bin/narrelo-demoserver" ] && kill -TERM "${p#/proc/}" 2>/dev/null
  done
  true
}
trap stop_installed_services EXIT
narrelo-say --wav "$work/first.wav" "Merhaba dünya." 2>"$work/say1.err" || fail "first reading: $(cat "$work/say1.err")"
started=$(sed -n 's/.*started the local speech service (.*, process \([0-9]*\).*/\1/p' "$work/say1.err")
[ -n "$started" ] || fail "the first reading did not start the service: $(cat "$work/say1.err")"
[ "$(readlink "/proc/$started/exe")" = "$root/usr/bin/narrelo-demoserver" ] ||
  fail "the service started is not the installed one"
[ "$(stat -c %s "$work/first.wav")" -gt 16000 ] || fail "the first reading wrote almost no sound"
narrelo-say --wav "$work/second.wav" "Merhaba dünya." 2>"$work/say2.err" || fail "second reading: $(cat "$work/say2.err")"
if grep -q "started the local speech service" "$work/say2.err"; then fail "the second reading started another service"; fi
kill -0 "$started" || fail "the service is gone after the second reading"
cmp -s "$work/first.wav" "$work/second.wav" || fail "the two readings differ"
[ -S "$socket" ] && [ "$(stat -c %a "$socket")" = 600 ] && [ "$(stat -c %a "${socket%/*}")" = 700 ] ||
  fail "the user's socket is not private: $(ls -la "${socket%/*}")"

# The window reads, from the installed files and with nothing started by hand: the service
# the readings above started is stopped, so the window has to start its own on demand. The
# window gets folders of its own (a first run: the kept text file holds the sentence; the
# service is on this machine, so no notice of a remote one) and its own X display. Evidence of the reading:
# the installed service runs again, its cache holds the sentence's audio, and the sound
# device (SDL's disk driver) received more sound than the chime played before a first
# reading.
kill -TERM "$started"
for _ in $(seq 200); do [ -e "$socket" ] || break; sleep 0.05; done
if [ -e "$socket" ]; then fail "the service left its socket after SIGTERM"; fi
win=$work/window
mkdir -p "$win/home" "$win/state/narrelo" "$win/runtime"
chmod 700 "$win/state/narrelo" "$win/runtime"
printf 'Merhaba dünya.' >"$win/state/narrelo/text.txt"
chmod 600 "$win/state/narrelo/text.txt"
cat >"$win/sound.py" <<'PY'
# Seconds of sound (16-bit samples, blocks of 10 ms at 16 kHz louder than a whisper) in a
# raw file or a WAV file.
import array, sys, wave
def seconds(data):
    samples = array.array("h", data[: len(data) // 2 * 2])
    block = 160
    loud = sum(1 for i in range(0, len(samples) - block + 1, block)
               if max(abs(x) for x in samples[i : i + block]) > 300)
    return loud * block / 16000
with wave.open(sys.argv[1]) as chime:
    chime_seconds = seconds(chime.readframes(chime.getnframes()))
try:
    with open(sys.argv[2], "rb") as played:
        played_seconds = seconds(played.read())
except FileNotFoundError:
    played_seconds = 0.0
print(f"{played_seconds:.2f} {chime_seconds:.2f}")
sys.exit(0 if played_seconds >= chime_seconds + 0.5 else 1)
PY
cat >"$win/window.sh" <<'SH'
set -u
root=$1
win=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
narrelo >"$win/narrelo.log" 2>&1 &
window=$!
trap 'kill -TERM $window 2>/dev/null; sleep 0.5; kill -KILL $window 2>/dev/null; true' EXIT
# The id of the shown top-level window with exactly this title.
shown() {
  local id
  for _ in $(seq 200); do
    for id in $(xwininfo -root -tree | sed -n "s/^ *\(0x[0-9a-f]*\) \"$1\": (.*/\1/p"); do
      if xwininfo -id "$id" | grep -q "Map State: IsViewable"; then echo "$id"; return 0; fi
    done
    kill -0 "$window" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
main=$(shown Valtrosa) || fail "the window did not open: $(cat "$win/narrelo.log")"
# Ctrl+Enter reads (the text box has the focus).
xdotool windowfocus "$main" key ctrl+Return
heard=""
for (( end = SECONDS + 30; SECONDS < end; )); do
  heard=$(python3 "$win/sound.py" "$root/usr/share/narrelo/warn.wav" "$win/sound.raw") && exit 0
  kill -0 "$window" 2>/dev/null || fail "the window ended while reading: $(cat "$win/narrelo.log")"
  sleep 0.1
done
fail "no speech after the chime (seconds of sound, of chime): $heard; $(cat "$win/narrelo.log")"
SH
HOME=$win/home XDG_CONFIG_HOME=$win/config XDG_CACHE_HOME=$win/cache XDG_STATE_HOME=$win/state \
  XDG_RUNTIME_DIR=$win/runtime SDL_DISKAUDIOFILE=$win/sound.raw \
  timeout -k 5 120 xvfb-run -a -s "-screen 0 1366x768x24 -dpi 96" bash "$win/window.sh" "$root" "$win" ||
  fail "the window did not read (status $?)"
started=""
for p in /proc/[0-9]*; do
  [ "$(readlink "$p/exe" 2>/dev/null)" = "$root/usr/bin/narrelo-demoserver" ] && started=${p#/proc/}
done
[ -n "$started" ] || fail "the window did not start the installed service"
audio=$(find "$win/cache/narrelo-demoserver" -name '*.entry' -size +1k | wc -l)
[ "$audio" -ge 1 ] || fail "the service the window started made no audio: $(ls -la "$win/cache/narrelo-demoserver")"
echo "readings OK (in a network namespace of their own: ${NARRELO_OWN_NETWORK:-no})"
EOF
step "readings"
if unshare --net true 2>/dev/null && command -v ip >/dev/null; then
  NARRELO_OWN_NETWORK=1 unshare --net bash "$work/readings.sh" "$root" "$work"
elif unshare -r --net true 2>/dev/null && command -v ip >/dev/null; then
  NARRELO_OWN_NETWORK=1 unshare -r --net bash "$work/readings.sh" "$root" "$work"
else
  bash "$work/readings.sh" "$root" "$work"
fi

# --- Installed: the autopkgtest suite, then removal -----------------------------------------
# The packages built above, installed on this machine for real (as root, and only where no
# Narrelo package is installed already: the test purges them again at its end), tested by
# debian/tests with autopkgtest's null runner (the tests that want a machine of their own
# are skipped here), then removed: nothing of them may run on or stay behind.
step "autopkgtest"
installed_before=$(dpkg-query -W -f='${Package} ${Status}\n' 'narrelo*' 2>/dev/null | grep ' installed$' || true)
if [ "$(id -u)" -ne 0 ] || ! command -v autopkgtest >/dev/null; then
  echo "SKIPPED: the installed packages' tests, which need root and autopkgtest"
elif [ -n "$installed_before" ]; then
  echo "SKIPPED: the installed packages' tests, since this machine has Narrelo installed: $installed_before"
else
  installed=yes
  dsc=$out/narrelo_$full.dsc
  debs=()
  for p in "${packages[@]}"; do debs+=("$(deb_of "$p")"); done
  # Only what was built (-B: build nothing), tests in their own folders; 2 is "some skipped".
  # A clean environment (the readings above set PATH to the unpacked tree), and a temporary
  # folder apt's own user can read the packages from.
  status=0
  env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME="$work/home" LANG=C.UTF-8 TMPDIR="$tmp_parent" \
    autopkgtest -B --summary-file "$work/autopkgtest.summary" "$dsc" "${debs[@]}" -- null \
    >"$work/autopkgtest.log" 2>&1 || status=$?
  cat "$work/autopkgtest.summary"
  # A failed test's own output, from its part of the log.
  for t in $(awk '$2 == "FAIL" { print $1 }' "$work/autopkgtest.summary"); do
    sed -n "/test $t: \[-/,/test $t: -*\]/p" "$work/autopkgtest.log" >&2
  done
  case $status in 0 | 2) ;; *) fail "autopkgtest (status $status): $(tail -n 20 "$work/autopkgtest.log")" ;; esac
  for t in say-on-demand socket-activation text-commands speechd-module; do
    grep -qE "^$t +PASS" "$work/autopkgtest.summary" || fail "autopkgtest: $t did not pass"
  done

  # As installed: the machine-wide socket is not enabled, each user socket the package ships is.
  wants=sockets.target.wants/narrelo-demoserver.socket
  [ ! -e "/etc/systemd/system/$wants" ] || fail "installing enabled the machine-wide socket"
  if [ -e "$user_units/narrelo-demoserver.socket" ]; then
    [ -L "/etc/systemd/user/$wants" ] || fail "installing did not enable the user socket for every user"
  fi

  # A user's service started on demand (the runtime folder as a login has it; in a network
  # namespace of its own where there can be one), then removal.
  user=$work/user
  mkdir -p "$user/home" && mkdir -p -m 0700 "$user/runtime"
  own_network=()
  if unshare --net true 2>/dev/null && command -v ip >/dev/null; then
    own_network=(unshare --net sh -c 'ip link set lo up && exec "$0" "$@"')
  fi
  HOME=$user/home XDG_CONFIG_HOME=$user/config XDG_CACHE_HOME=$user/cache XDG_STATE_HOME=$user/state \
    XDG_RUNTIME_DIR=$user/runtime PATH=/usr/bin:/bin \
    "${own_network[@]}" narrelo-say --wav "$user/read.wav" "Merhaba dünya." 2>"$user/say.err" ||
    fail "the installed narrelo-say: $(cat "$user/say.err")"
  step "removal"
  purge_packages || fail "apt-get purge: $(cat "$work/purge.log")"
  installed=""
  for p in /proc/[0-9]*; do
    exe=$(readlink "$p/exe" 2>/dev/null) || continue
    case "$exe" in /usr/bin/narrelo* | /usr/lib/speech-dispatcher-modules/sd_narrelo) fail "process ${p#/proc/} runs on from the removed $exe" ;; esac
  done
  for left in /usr/bin/narrelo /usr/bin/narrelo-demoserver /usr/share/narrelo /usr/share/doc/narrelo-data \
              "$system_units/narrelo-demoserver.socket" "$user_units/narrelo-demoserver.service" \
              "/etc/systemd/system/$wants" "/etc/systemd/user/$wants" /var/lib/narrelo-demoserver \
              /var/cache/narrelo-demoserver /var/lib/private/narrelo-demoserver /tmp/Narrelo_LastSetup.deb \
              /usr/lib/speech-dispatcher-modules/sd_narrelo /etc/speech-dispatcher/modules/narrelo.conf; do
    if [ -e "$left" ] || [ -L "$left" ]; then fail "$left stays after purge"; fi
  done
  if ls /var/lib/systemd/deb-systemd-helper-enabled/ /var/lib/systemd/deb-systemd-user-helper-enabled/ 2>/dev/null |
    grep narrelo; then
    fail "purge leaves the units' enabled state above"
  fi
fi
echo "packages OK: $(cd "$out" && ls ./*.deb | tr '\n' ' ')"
