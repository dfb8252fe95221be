#!/usr/bin/env bash
# Installs every Debian package that the build, the tests and the samples need.
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ ccache pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-l10n-tools qt6-translations-l10n
  libopencv-core-dev libopencv-imgproc-dev libopencv-imgcodecs-dev
  imagemagick
  gdal-bin
  xvfb xauth
  clang libclang-rt-14-dev
  file
  time python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
