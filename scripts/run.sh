#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds Narrelo and starts it reading from the local speech
# service (narrelo-demoserver on 127.0.0.1:8081, started here unless something already
# listens there; stopped again when the window closes).
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

port=8081
endpoint="http://127.0.0.1:${port}/Project2.DemoServer/soap/IDemoServer"

listening() { (exec 3<>"/dev/tcp/127.0.0.1/${port}") 2>/dev/null; }

server_pid=""
stop_server() {
  if [ -n "$server_pid" ]; then
    kill -TERM "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
}
trap stop_server EXIT

if listening; then
  echo "A speech service already listens on 127.0.0.1:${port}; using it."
else
  log_dir="${XDG_STATE_HOME:-$HOME/.local/state}/narrelo"
  # The log names the texts' sizes and the clients: for this user only (folder 0700, files 0600).
  mkdir -p "$log_dir"
  chmod 0700 "$log_dir"
  echo "Starting the local speech service on 127.0.0.1:${port} (log: $log_dir/demoserver.log)"
  old_umask=$(umask)
  umask 077
  build/server/narrelo-demoserver --bind 127.0.0.1 --port "$port" \
    >"$log_dir/demoserver.out" 2>"$log_dir/demoserver.log" &
  server_pid=$!
  umask "$old_umask"
  chmod 0600 "$log_dir/demoserver.out" "$log_dir/demoserver.log"
  for _ in $(seq 1 200); do  # at most 20 s
    listening && break
    kill -0 "$server_pid" 2>/dev/null || { echo "narrelo-demoserver did not start:" >&2; tail -n 5 "$log_dir/demoserver.log" >&2; exit 1; }
    sleep 0.1
  done
  listening || { echo "narrelo-demoserver is not listening after 20 s" >&2; exit 1; }
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  run build/app/narrelo "DemoServer=${endpoint}"
  exit 0
fi

sample="Merhaba! Bu bir deneme metnidir. Narrelo, Türkçe metinleri sesli okur. \
Metni yazın ya da yapıştırın, okuma şeklini seçin ve Oku düğmesine basın."
echo "No display (DISPLAY is not set), so the window cannot open."
echo "Reading a sample paragraph with narrelo-say instead:"
echo "  $sample"
if ! build/app/narrelo-say --quiet --no-pause --server "$endpoint" "$sample"; then
  wav="${TMPDIR:-/tmp}/narrelo-sample.wav"
  echo "No sound device could play it; writing the reading to a WAV file instead."
  run build/app/narrelo-say --quiet --no-pause --server "$endpoint" --wav "$wav" "$sample"
  echo "The reading is in ${wav}"
fi
