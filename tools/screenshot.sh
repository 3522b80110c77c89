#!/usr/bin/env bash
# Starts the real window under Xvfb with a throw-away home folder and saves a screenshot.
# Usage: tools/screenshot.sh [OUTPUT.png] [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-shot.png}")
build=${2:-build/release}
if [ ! -x "$build/bin/corvenda" ]; then
  bash tools/deps.sh
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
  cmake --build "$build"
fi
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/Desktop"
HOME=$home XDG_CONFIG_HOME=$home/.config xvfb-run -a -s "-screen 0 800x600x24" bash -c '
  "$1" & pid=$!
  for _ in $(seq 50); do xwininfo -root -tree | grep -q "\"Corvenda\"" && break; sleep 0.2; done
  sleep 1
  import -window root "$2"
  kill $pid' _ "$(realpath "$build/bin/corvenda")" "$out"
echo "screenshot: $out"
