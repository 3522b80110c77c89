#!/usr/bin/env bash
# Conversion speed: the window's run over COUNT small animated cursors, as JPG and as animated
# GIF, against xargs running nconvert over the same files one at a time and one per core; the
# window's peak memory; and whether the window's results with one converter and with one per core
# are the same files, byte for byte. Prints figures; asserts nothing.
#   bash bench/run.sh [COUNT]
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-1000}
cores=$(nproc)
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVENDA_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target convert_bench_driver nconvert corvenda_samples >/dev/null

driver="$build/bin/convert_bench_driver"
conv="$build/bin/nconvert"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$driver" make-input "$work/src" "$count" ani
echo "input: $count copies of small animated samples (hourglass, traffic, pulse), $cores cores, load $(cut -d' ' -f1-3 /proc/loadavg)"

seconds() {
  local start=$1 end
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}

# nconvert over every file by xargs, PARALLEL at a time; no shell per file.
by_xargs() {
  local parallel=$1 out=$2 start
  shift 2
  mkdir -p "$out"
  start=$(date +%s.%N)
  (cd "$work/src" && ls | xargs -P "$parallel" -I{} "$OLDPWD/$conv" "$@" -o "$out/{}.out" "{}")
  seconds "$start"
}

# The window, offscreen: the list filled, "Save as:" set, "Start Converting" pressed. Prints the
# seconds of the run; keeps the peak memory.
by_window() {
  local saveas=$1 converters=$2 out=$3
  mkdir -p "$out"
  /usr/bin/time -v -o "$work/time.txt" "$driver" run "$work/src" "$out" "$saveas" "$converters" \
    >"$work/window.txt" 2>/dev/null || true
  grep -oP 'Maximum resident set size \(kbytes\): \K[0-9]+' "$work/time.txt" >"$work/peak-$saveas.txt"
  grep -oP 'files in \K[0-9.]+' "$work/window.txt" || echo nan
}

best() { awk -v a="$1" -v b="$2" 'BEGIN { print (a < b ? a : b) }'; }

for saveas in jpg gif; do
  if [ "$saveas" = jpg ]; then args=(-q 85 -out jpeg -truecolors); else args=(-out gif); fi
  # Two rounds, in the order xargs, window, window, xargs, so drift on a shared machine hits both.
  x1a=$(by_xargs 1 "$work/x1a-$saveas" "${args[@]}")
  xna=$(by_xargs "$cores" "$work/xna-$saveas" "${args[@]}")
  w1=$(by_window "$saveas" "$cores" "$work/w1-$saveas")
  w2=$(by_window "$saveas" "$cores" "$work/w2-$saveas")
  xnb=$(by_xargs "$cores" "$work/xnb-$saveas" "${args[@]}")
  x1b=$(by_xargs 1 "$work/x1b-$saveas" "${args[@]}")
  one=$(by_window "$saveas" 1 "$work/one-$saveas")
  w=$(best "$w1" "$w2"); x1=$(best "$x1a" "$x1b"); xn=$(best "$xna" "$xnb")
  printf '%s: window (%d converters) %.3f s, xargs -P 1 %.3f s, xargs -P %d %.3f s, window with 1 converter %.3f s\n' \
    "$saveas" "$cores" "$w" "$x1" "$cores" "$xn" "$one"
  awk -v w="$w" -v xn="$xn" -v x1="$x1" -v c="$cores" -v f="$saveas" 'BEGIN {
    printf "%s: window / xargs -P %d = %.2fx (target <= 1.2), window / xargs -P 1 = %.2fx\n", f, c, w / xn, w / x1 }'
  echo "$saveas: window peak memory (max RSS) $(cat "$work/peak-$saveas.txt") kB; files: window $(ls "$work/w1-$saveas" | wc -l), xargs $(ls "$work/x1a-$saveas" | wc -l)"
  if diff -rq "$work/w1-$saveas" "$work/one-$saveas" >/dev/null; then
    echo "$saveas: results with $cores converters and with 1 are identical (every file compared byte for byte)"
  else
    echo "$saveas: results with $cores converters and with 1 DIFFER:"
    diff -rq "$work/w1-$saveas" "$work/one-$saveas" | head -5
  fi
done
