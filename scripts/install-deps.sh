#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run.
# Does nothing when all of them are there already.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config clang clang-format libclang-rt-14-dev
  libgtest-dev libgmock-dev
  firebird3.0-server firebird3.0-utils firebird-dev libfbclient2
  libarchive-dev libarchive-tools
  qt6-base-dev libx11-dev xvfb xauth x11-utils xdotool imagemagick
  fonts-dejavu-core qt6-translations-l10n
  hyperfine
)

missing=()
for pkg in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
