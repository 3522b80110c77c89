#!/usr/bin/env bash
# Conversion speed: the window's run over 1,000 files against a plain shell loop of nconvert
# doing the same work, and the window's peak memory. Prints figures; asserts nothing.
#   bash bench/run.sh [COUNT]
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-1000}
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVENDA_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target convert_bench_driver nconvert >/dev/null

driver="$build/bin/convert_bench_driver"
conv="$build/bin/nconvert"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$driver" make-input "$work/src" "$count"
echo "input: $count copies of a generated 32x32 cursor image (PNG), quality 85, $(nproc) cores"

# The same work as a plain shell loop of the converter.
plain_loop() {
  local out=$1 start end
  mkdir -p "$out"
  start=$(date +%s.%N)
  for f in "$work"/src/*; do
    name=${f##*/}
    "$conv" -q 85 -out jpeg -truecolors -o "$out/${name%.*}.jpg" "$f"
  done
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}

# The window: offscreen, the list filled, "Start Converting" pressed; its converter is the copy
# it carries inside itself. Prints the seconds of the run; keeps the peak memory.
window_run() {
  local out=$1
  mkdir -p "$out"
  /usr/bin/time -v -o "$work/time.txt" "$driver" run "$work/src" "$out" 2>/dev/null >"$work/window.txt"
  grep -oP 'Maximum resident set size \(kbytes\): \K[0-9]+' "$work/time.txt" >"$work/peak.txt"
  grep -oP 'files in \K[0-9.]+' "$work/window.txt"
}

report() {
  awk -v label="$1" -v n="$count" -v s="$2" 'BEGIN { printf "%-12s %d files in %.3f s, %.0f files/s\n", label ":", n, s, n / s }'
}

# Two rounds in the order loop, window, window, loop, so drift on a shared machine hits both.
l1=$(plain_loop "$work/loop1"); report "plain loop" "$l1"
w1=$(window_run "$work/window1"); report "window run" "$w1"
w2=$(window_run "$work/window2"); report "window run" "$w2"
l2=$(plain_loop "$work/loop2"); report "plain loop" "$l2"
awk -v w1="$w1" -v w2="$w2" -v l1="$l1" -v l2="$l2" 'BEGIN {
  w = w1 < w2 ? w1 : w2; l = l1 < l2 ? l1 : l2
  printf "best of two: window %.3f s, plain loop %.3f s, window / plain loop %.2fx\n", w, l, w / l }'
echo "window peak memory (max RSS): $(cat "$work/peak.txt") kB"
echo "JPGs written: window $(ls "$work/window1" | wc -l), loop $(ls "$work/loop1" | wc -l); last box: $(grep -oP 'box: \K.*' "$work/window.txt")"
