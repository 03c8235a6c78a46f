#!/usr/bin/env bash
# Installs what is missing, builds Tobrin and starts the editor.
# Arguments are passed to the editor (for example a hex file to open).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target tobrin
exec ./build/tobrin "$@"
