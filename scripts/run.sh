#!/usr/bin/env bash
# Installs what is missing, builds Narrelo and starts it.
# Until the reading window exists this builds everything and lists what the build produced.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

run() { echo "+ $*"; "$@"; }
run cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
run cmake --build build -j "$(nproc)"

echo
echo "Built programs:"
find build -maxdepth 3 -type f -perm -u+x -name 'narrelo*' -printf '  %p\n' | sort
echo "Built libraries:"
find build -maxdepth 2 -type f -name 'lib*.a' -printf '  %p\n' | sort
