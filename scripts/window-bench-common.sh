# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by screenshot.sh and measure-window.sh: builds bench_window and the demo server,
# and starts the server on a free loopback port with a private key, cache and settings
# folder ($work), stopped and removed on exit.

run() { echo "+ $*"; "$@"; }

if [ ! -f build/CMakeCache.txt ]; then
  run cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
run cmake -S . -B build -DNARRELO_BUILD_BENCH=ON >/dev/null
run cmake --build build -j "$(nproc)" --target bench_window narrelo-demoserver narrelo_resources

work="$(mktemp -d "${TMPDIR:-/tmp}/narrelo-window-XXXXXX")"
server_pid=""
cleanup() {
  if [ -n "$server_pid" ]; then
    kill -TERM "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

start_demo_server() {
  build/server/narrelo-demoserver --bind 127.0.0.1 --port 0 \
    --key-file "$work/server.key" --cache-dir "$work/cache" >"$work/server.out" 2>"$work/server.log" &
  server_pid=$!
  local line=""
  for _ in $(seq 1 200); do  # at most 20 s
    line="$(head -n1 "$work/server.out" 2>/dev/null || true)"
    [ -n "$line" ] && break
    kill -0 "$server_pid" 2>/dev/null || { cat "$work/server.log" >&2; exit 1; }
    sleep 0.1
  done
  local base="${line#narrelo-demoserver listening on }"
  [ "$base" != "$line" ] || { echo "narrelo-demoserver did not report ready" >&2; exit 1; }
  endpoint="${base}/Project2.DemoServer/soap/IDemoServer"
  echo "speech service at ${endpoint}"
}
