#!/usr/bin/env bash
# The test command: installs what the tests need, starts the local Firebird
# server, builds, and runs every test; then the same again under
# AddressSanitizer and UndefinedBehaviorSanitizer. Fails when a test fails.
#   scripts/test.sh              everything
#   scripts/test.sh --quick      the plain build only
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
[ "${1:-}" = "--quick" ] && quick=1

bash scripts/install-deps.sh
bash scripts/firebird-server.sh

jobs=$(nproc)

build_and_test() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs" --timeout 600)
}

echo "== plain build"
build_and_test build -DUPDATER_WERROR=ON
if [ $quick -eq 0 ]; then
  echo "== AddressSanitizer and UndefinedBehaviorSanitizer build"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    build_and_test build-sanitize -DUPDATER_SANITIZE=ON -DUPDATER_WERROR=ON
fi
