#!/usr/bin/env bash
# Installs what is missing, builds Tobrin twice (plain, and with
# AddressSanitizer + UndefinedBehaviorSanitizer) and runs every test in both
# builds, then builds the fuzz targets with clang and runs each of them.
# The plain build's ctest summary comes last. The builds are the presets in
# CMakePresets.json: asan, fuzz and plain.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

# Sanitizer build: the whole suite, failing on any finding.
cmake --preset asan
cmake --build --preset asan
ASAN_OPTIONS=abort_on_error=1:detect_leaks=1 \
LSAN_OPTIONS=suppressions="$root/scripts/lsan.supp":print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --preset asan -j "$jobs"

# Fuzz targets (clang): each over its committed corpus and regressions, then
# a short fresh run; any finding fails.
bash scripts/fuzz.sh

# Plain build: every test; its summary closes the run.
cmake --preset plain
cmake --build --preset plain
ctest --preset plain -j "$jobs"
