#!/usr/bin/env bash
# Installs what is missing, builds Corvenda (release) and starts the window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build/release
exec build/release/bin/corvenda "$@"
