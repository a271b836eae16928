#!/usr/bin/env bash
# Installs what is missing, builds Narrelo and starts it.
# The speech service, narrelo-demoserver, is started in the background on 127.0.0.1:8081
# unless something already listens there; a service this script started is stopped again
# when the reading window closes. Until the reading window exists, the service is left
# running and the script says how to stop it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

run() { echo "+ $*"; "$@"; }
run cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
run cmake --build build -j "$(nproc)"

echo
echo "Built programs:"
find build -maxdepth 3 -type f -perm -u+x -name 'narrelo*' -printf '  %p\n' | sort

# Whether something accepts connections on 127.0.0.1:8081.
listening() { (exec 3<>/dev/tcp/127.0.0.1/8081) 2>/dev/null; }

server_pid=""
if listening; then
  echo "A speech service already listens on 127.0.0.1:8081; using it."
elif [ -x build/server/narrelo-demoserver ]; then
  log_dir="${XDG_STATE_HOME:-$HOME/.local/state}/narrelo"
  mkdir -p "$log_dir"
  echo "+ build/server/narrelo-demoserver --bind 127.0.0.1 --port 8081 (log: $log_dir/demoserver.log)"
  build/server/narrelo-demoserver --bind 127.0.0.1 --port 8081 \
    >"$log_dir/demoserver.out" 2>"$log_dir/demoserver.log" &
  server_pid=$!
  for _ in $(seq 200); do  # up to 20 s for the listening line
    if grep -q 'listening on' "$log_dir/demoserver.out" 2>/dev/null; then break; fi
    if ! kill -0 "$server_pid" 2>/dev/null; then
      echo "narrelo-demoserver did not start:" >&2
      cat "$log_dir/demoserver.log" >&2
      exit 1
    fi
    sleep 0.1
  done
  cat "$log_dir/demoserver.out"
fi

if [ -x build/app/narrelo ]; then
  if [ -n "$server_pid" ]; then
    trap 'kill -TERM "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null || true' EXIT
  fi
  run build/app/narrelo
elif [ -n "$server_pid" ]; then
  echo "narrelo-demoserver runs in the background (process $server_pid); stop it with: kill $server_pid"
fi
