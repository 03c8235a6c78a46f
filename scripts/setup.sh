#!/usr/bin/env bash
# Installs the Debian packages Tobrin needs to build, test and run, when any
# of them is missing. Run as root on Debian 12.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libgl-dev
  libwmf-dev
  libjpeg62-turbo-dev libpng-dev libjpeg-turbo-progs
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-dejavu-core xvfb xauth strace
  imagemagick netpbm
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
