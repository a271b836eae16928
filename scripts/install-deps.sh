#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs every Debian package that building, running and testing Narrelo needs.
# Idempotent: asks dpkg what is missing, runs `apt-get update` once and installs only that.
# Prints each command it runs. Needs root (or sudo) only when something is missing.
set -euo pipefail

packages=(
  # toolchain and test tools
  build-essential cmake ninja-build pkg-config git
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # settings store
  libsqlite3-dev
  # SOAP
  gsoap libgsoap-dev
  # HTTP downloads (server list, installer); the web server the HTTP tests run
  libcurl4-openssl-dev libcpp-httplib-dev
  # audio: decoding, sound device, speed-change peers for the benchmarks
  libogg-dev libvorbis-dev libvorbisfile3 libsdl2-dev libsoundtouch-dev libsonic-dev
  # speech for fixtures and the benchmark recording
  espeak-ng libespeak-ng-dev vorbis-tools
  # windows: wxWidgets on GTK 3 and the dialog font; GTK itself for the names a screen reader
  # is told, and the accessibility bus and its Python client that the window's test reads
  libwxgtk3.2-dev fonts-liberation2 libgtk-3-dev at-spi2-core dbus-daemon python3-pyatspi
  # the demo server: speech, resampling, encoding, tokens, file ids, XML and sentence splitting;
  # systemd-socket-activate and systemd-analyze check its socket activation and its unit
  systemd
  libsoxr-dev libssl-dev zlib1g-dev libvorbis-dev
  # headless display for window tests
  xvfb xauth
  # a window manager, for the test of the window's geometry under one
  openbox
  # installing and packaging: desktop files, icons, manual pages, the Debian packages
  # (debian/, built with debhelper and checked with lintian; ccache for the second build),
  # and the checks of the installed tree and the unpacked packages (xwininfo finds the
  # window, xdotool presses its keys, python3 measures the sound it played, ip brings up the
  # loopback of the readings' own network namespace)
  desktop-file-utils appstream librsvg2-bin scdoc groff-base dpkg-dev file curl
  debhelper lintian ccache x11-utils xdotool python3 iproute2
  # the installed packages' own tests (debian/tests), run by the install test
  autopkgtest
  # Turkish sentence splitting (ICU)
  libicu-dev
  # XML sentence documents (the samples' test)
  libpugixml-dev
  # the load balancer the scale-out test puts in front of two services
  haproxy
  # sd_narrelo's end-to-end test and benchmark: the real speech-dispatcher, its espeak-ng
  # module to compare with, its Python client and spd-say, a PulseAudio null sink to hear
  # it; info for its module protocol's documentation
  speech-dispatcher speech-dispatcher-espeak-ng python3-speechd pulseaudio pulseaudio-utils info
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: every package is installed"
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
echo "+ $sudo apt-get update"
$sudo apt-get update -q
echo "+ $sudo apt-get install -y --no-install-recommends ${missing[*]}"
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
