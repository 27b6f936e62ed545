#!/usr/bin/env bash
# The newcomer's run command: sets everything up and opens the updater on a
# demo installation.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/firebird-server.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)"
echo "run-demo: the window and the demo installation are not built yet."
