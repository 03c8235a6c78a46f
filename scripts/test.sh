#!/usr/bin/env bash
# Installs what is missing, builds Tobrin twice (plain, and with
# AddressSanitizer + UndefinedBehaviorSanitizer) and runs every test in both
# builds, then builds the fuzz targets with clang and runs each of them.
# The plain build's ctest summary comes last.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

# Sanitizer build: the whole suite, failing on any finding.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOBRIN_SANITIZE=ON -DTOBRIN_BENCH=OFF
cmake --build build-asan
(
  cd build-asan
  ASAN_OPTIONS=abort_on_error=1:detect_leaks=1 \
  LSAN_OPTIONS=suppressions="$PWD/../scripts/lsan.supp":print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --output-on-failure -j "$jobs"
)

# Fuzz targets (clang): each over its committed corpus and regressions, then
# a short fresh run; any finding fails.
bash scripts/fuzz.sh

# Plain build: every test; its summary closes the run.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
cd build
ctest --output-on-failure -j "$jobs"
