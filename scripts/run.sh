#!/usr/bin/env bash
# Installs what is missing, builds Tobrin and starts the editor.
# Arguments are passed to the editor (for example a hex file to open).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# The "plain" preset in CMakePresets.json.
cmake --preset plain
cmake --build --preset plain --target tobrin
exec ./build/tobrin "$@"
