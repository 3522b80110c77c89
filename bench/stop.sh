#!/usr/bin/env bash
# Stopping a long run: the window (offscreen) converts COUNT files and "Stop Converting" is
# pressed part way. Prints the time from the press to the final box and whether any converter
# process or converter file is left afterwards. Asserts nothing.
#   bash bench/stop.sh [COUNT] [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-3000}
rounds=${2:-5}
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVENDA_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target convert_bench_driver nconvert >/dev/null

driver="$build/bin/convert_bench_driver"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$driver" make-input "$work/src" "$count"
# The run's converter goes to a folder of this bench alone, so what is left there is its own.
export TEMP="$work/temp"
mkdir -p "$TEMP"
chmod 700 "$TEMP"
echo "input: $count generated cursor images, stop pressed 0.5 to 2.5 s into the run, $(nproc) cores"
for ((i = 1; i <= rounds; i++)); do
  rm -rf "$work/out"
  mkdir -p "$work/out"
  after=$((500 * i))
  line=$("$driver" stop "$work/src" "$work/out" "$after")
  # The run starts its converter through an open file, so the command line names no file; the
  # executable of each process does.
  left=$( (for exe in /proc/[0-9]*/exe; do readlink "$exe" 2>/dev/null || true; done) |
    grep -c "^$TEMP/nconvert-" || true)
  echo "round $i (stop at ${after} ms): $line; JPGs written $(ls "$work/out" | wc -l); converter processes left $left; files left in the converter folder: $(ls -A "$TEMP" | wc -l)"
done
