#!/usr/bin/env bash
# Conversion speed: the window's run over 1,000 files against a plain shell loop of nconvert
# doing the same work, and the window's peak memory. Prints figures; asserts nothing.
#   bash bench/run.sh [COUNT]
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-1000}
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target convert_bench_driver nconvert >/dev/null

driver="$build/bin/convert_bench_driver"
conv="$build/bin/nconvert"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$driver" make-input "$work/src" "$count"
mkdir -p "$work/window" "$work/loop"
echo "input: $count copies of a generated 32x32 cursor image (PNG), quality 85, $(nproc) cores"

# The same work as a plain shell loop of the converter.
start=$(date +%s.%N)
for f in "$work"/src/*; do
  name=${f##*/}
  "$conv" -q 85 -out jpeg -truecolors -o "$work/loop/${name%.*}.jpg" "$f"
done
end=$(date +%s.%N)
loop_s=$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')
awk -v n="$count" -v s="$loop_s" 'BEGIN { printf "plain loop: %d files in %.3f s, %.0f files/s\n", n, s, n / s }'

# The window: offscreen, the list filled, "Start Converting" pressed; its converter is the copy
# it carries inside itself.
/usr/bin/time -v -o "$work/time.txt" "$driver" run "$work/src" "$work/window" | tee "$work/window.txt"
window_s=$(grep -oP 'files in \K[0-9.]+' "$work/window.txt")
peak_kb=$(grep -oP 'Maximum resident set size \(kbytes\): \K[0-9]+' "$work/time.txt")
awk -v w="$window_s" -v l="$loop_s" 'BEGIN { printf "window / plain loop: %.2fx\n", w / l }'
echo "window peak memory (max RSS): $peak_kb kB"
echo "JPGs written: window $(ls "$work/window" | wc -l), loop $(ls "$work/loop" | wc -l)"
