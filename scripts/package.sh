#!/usr/bin/env bash
# Builds the Debian package from scratch: a Release build of the program
# alone in build-package/, with Debian's hardening flags, then
# `cpack -G DEB`. Prints the package's path: build-package/package/
# tobrin_VERSION_ARCH.deb. Needs the packages of scripts/setup.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build-package
rm -rf "$dir"
# Stack protector, fortified functions, read-only relocations, bind-now and
# position-independent code, as Debian builds its own packages.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
export CXXFLAGS="$CXXFLAGS $CPPFLAGS"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DTOBRIN_TESTS=OFF -DTOBRIN_BENCH=OFF
cmake --build "$dir"
(cd "$dir" && cpack -G DEB)
ls "$PWD/$dir"/package/tobrin_*.deb
