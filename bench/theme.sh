#!/usr/bin/env bash
# Prints how long nconvert takes to make a Linux cursor theme of a 17-role Windows theme pack of
# animated cursors (the generated "ascii" pack: 17 .ani files, each made at 32, 48 and 64
# pixels), and the same with -sizes 24,32,48,64,96; the aim is under a second.
#   bash bench/theme.sh [RUNS] [BUILD_DIR]   (default 10 runs; build/release)
# NCONVERT and SAMPLEGEN in the environment run those programs instead of building them (CI runs
# `NCONVERT=... SAMPLEGEN=... bash bench/theme.sh 1` on its test build).
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-10}"
build=${2:-build/release}
if [ -n "${NCONVERT:-}" ] && [ -n "${SAMPLEGEN:-}" ]; then
  nconvert=$NCONVERT
  samplegen=$SAMPLEGEN
else
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j2 --target nconvert samplegen >/dev/null
  nconvert="$build/bin/nconvert"
  samplegen="$build/samples/samplegen"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$samplegen" themepacks "$work/packs" >/dev/null
pack="$work/packs/ascii"

now_us() { echo $(($(date +%s%N) / 1000)); }
# Prints the median and the slowest of RUNS runs, in milliseconds.
timed() {
  local i start
  for ((i = 0; i < runs; i++)); do
    rm -rf "$work/out"
    start=$(now_us)
    "$nconvert" -theme "$pack" -o "$work/out" "$@" >"$work/report.txt"
    echo $(($(now_us) - start))
  done | sort -g | awk '{ v[NR] = $1 } END { printf "median %.1f ms, slowest %.1f ms", v[int((NR + 1) / 2)] / 1000, v[NR] / 1000 }'
}

echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "pack: $(ls "$pack" | grep -c '\.ani$') animated cursors, $(du -sk "$pack" | cut -f1) kB"
echo "17-role theme, default sizes: $(timed) over $runs runs"
grep -c '^role' "$work/report.txt" | sed 's/^/  roles written: /'
du -sk "$work/out" | cut -f1 | sed 's/^/  theme size: /; s/$/ kB/'
echo "17-role theme, -sizes 24,32,48,64,96: $(timed -sizes 24,32,48,64,96) over $runs runs"
