#!/usr/bin/env bash
# Installs the Debian packages Tobrin needs to build, test and run, when any
# of them is missing. Run as root on Debian 12.
set -euo pipefail

packages=(
  # Build tools.
  build-essential cmake ninja-build pkg-config git
  # Qt: headers and tools; the image-format plug-ins (TIFF, WebP, TGA...)
  # that import reads through.
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libgl-dev
  # fontconfig, which Qt reads the fonts through: the editor loads its
  # configuration on a second thread while it starts, and the text tool
  # lists the installed outline fonts through it.
  libfontconfig-dev
  # libwmf renders metafiles. Its link line also names expat, libjpeg and
  # libpng, which its own package does not bring; and it draws text with the
  # URW base fonts, without which it renders nothing at all.
  libwmf-dev libexpat1-dev libjpeg-dev libpng-dev fonts-urw-base35
  # The import streams JPEGs and PNGs through libjpeg-turbo and libpng;
  # djpeg is the floor the whole-process benchmark compares against.
  libjpeg62-turbo-dev libjpeg-turbo-progs
  # Animated GIFs are read and written through giflib.
  libgif-dev
  # Outline fonts (TrueType, OpenType, Type 1) are drawn into pixel fonts
  # through FreeType.
  libfreetype-dev
  # Build manifests (tobrin build) are TOML, read through toml++.
  libtomlplusplus-dev
  # Tests and benchmarks.
  libgtest-dev libgmock-dev libbenchmark-dev
  # Fuzzing: clang with libFuzzer and the sanitizer runtimes.
  clang libclang-rt-14-dev
  # A font for the windows, a display for a start without one, and the tools
  # the tests call (strace and chattr stop and refuse saves).
  fonts-dejavu-core xvfb xauth strace e2fsprogs
  # The format tests read files that ImageMagick and netpbm wrote.
  imagemagick netpbm
  # X11 bitmaps other programs wrote (/usr/include/X11/bitmaps), which the
  # X11 bitmap reader is tested against.
  xbitmaps
  # The BDF reader is tested against X11's own fonts, converted by pcf2bdf
  # and rendered by FreeType (above) from the same PCF files.
  pcf2bdf xfonts-base
  # Walking the accessibility tree as a screen reader does (AT-SPI).
  at-spi2-core python3-pyatspi dbus
  # The tests check the installed AppStream data, desktop entry and bash
  # completion with the tools software centres and shells use.
  appstream desktop-file-utils bash-completion
  # scripts/package.sh: CPack reads the binary's libraries with file and
  # dpkg-shlibdeps; lintian checks the package; scripts/fresh-check.sh
  # installs it in a bare Debian root made by mmdebstrap.
  file dpkg-dev lintian mmdebstrap
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
