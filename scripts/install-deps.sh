#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  clang libclang-rt-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libftdi1-dev libusb-1.0-0-dev
  umockdev libumockdev-dev
  libinih-dev libconfuse-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth
  poppler-utils
  qt6-l10n-tools qt6-tools-dev
  librsvg2-bin file dpkg-dev lintian appstream desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
