#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds Narrelo and starts it reading from the user's own speech
# service (narrelo-demoserver on the user's private socket, started by the programs
# themselves when it is not running).
#
# Without a display it says so and reads a sample Turkish paragraph with narrelo-say
# instead: to the sound device, or, when there is none, into a WAV file whose path it prints.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

run() { echo "+ $*"; "$@"; }
run cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Every program, the data, the manual pages and icons: what `cmake --install build` installs
# (and no tests or benchmarks).
run cmake --build build -j "$(nproc)" --target narrelo narrelo-say narrelo-reg narrelo-demoserver \
  narrelo_resources narrelo_packaging_files

# No service is named: the programs read from the user's own speech service, on the user's
# socket ($XDG_RUNTIME_DIR/narrelo/demoserver.sock), and start it there themselves (the
# build tree's server/narrelo-demoserver) when it is not running; it ends itself after ten
# idle minutes. Its log: ${XDG_STATE_HOME:-~/.local/state}/narrelo/demoserver.log.
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  run build/app/narrelo
  exit 0
fi

sample="Merhaba! Bu bir deneme metnidir. Narrelo, Türkçe metinleri sesli okur. \
Metni yazın ya da yapıştırın, okuma şeklini seçin ve Oku düğmesine basın."
echo "No display (DISPLAY is not set), so the window cannot open."
echo "Reading a sample paragraph with narrelo-say instead:"
echo "  $sample"
if ! build/app/narrelo-say --quiet --no-pause "$sample"; then
  wav="${TMPDIR:-/tmp}/narrelo-sample.wav"
  echo "No sound device could play it; writing the reading to a WAV file instead."
  run build/app/narrelo-say --quiet --no-pause --wav "$wav" "$sample"
  echo "The reading is in ${wav}"
fi
