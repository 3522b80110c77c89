#!/usr/bin/env bash
# Stopping a long run: the window (offscreen) converts COUNT files and "Stop Converting" is
# pressed part way. Prints the time from the press to the final box, whether any converter
# process or converter file is left afterwards, and what the output folder holds: hidden temporary
# files, and for every-frame output the sets that are not whole. Asserts nothing.
#   bash bench/stop.sh [COUNT] [ROUNDS] [OUTPUT-FOLDER] [SAVE-AS]
# OUTPUT-FOLDER may be on a disk where temporary files must have names (FUSE, SMB, NFS); SAVE-AS
# is a stored "Save as:" name (jpg, gif, png-frames, ...).
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-3000}
rounds=${2:-5}
saveas=${4:-jpg}
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVENDA_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target convert_bench_driver nconvert corvenda_samples >/dev/null

driver="$build/bin/convert_bench_driver"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
out=${3:-$work/out}
"$driver" make-input "$work/src" "$count" ani
# How many frames each sample gives, from the converter itself.
steps=""
for f in hourglass traffic pulse; do
  steps="$steps $f=$("$build/bin/nconvert" -info "$build/bin/Samples/$f.ani" | grep -oP 'total: \K[0-9]+')"
done
# The run's converter goes to a folder of this bench alone, so what is left there is its own.
export TEMP="$work/temp"
mkdir -p "$TEMP"
chmod 700 "$TEMP"
echo "input: $count small animated cursors as $saveas into $out, stop pressed 0.5 to $((rounds / 2 + 1)) s into the run, $(nproc) cores"
for ((i = 1; i <= rounds; i++)); do
  rm -rf "$out"
  mkdir -p "$out"
  after=$((500 * i))
  line=$("$driver" stop "$work/src" "$out" "$after" "$saveas")
  # The run starts its converter through an open file, so the command line names no file; the
  # executable of each process does.
  left=$( (for exe in /proc/[0-9]*/exe; do readlink "$exe" 2>/dev/null || true; done) |
    grep -c "^$TEMP/nconvert-" || true)
  hidden=$(find "$out" -name '.nconvert-*' | wc -l)
  # Every-frame sets: the frames of one source share a name up to "-NN.png".
  partial=$(find "$out" -name '*.png' -printf '%f\n' | sed -E 's/-[0-9]+\.png$//' | sort | uniq -c |
    awk -v steps="$steps" 'BEGIN { split(steps, kv, " "); for (i in kv) { split(kv[i], p, "="); want[p[1]] = p[2] } }
      { k = $2; sub(/^cursor[0-9]+-/, "", k); if (k in want && $1 != want[k]) bad++ } END { print bad + 0 }')
  echo "round $i (stop at ${after} ms): $line; files $(find "$out" -type f | wc -l); hidden temporary files $hidden; partial sets $partial; converter processes left $left; files left in the converter folder: $(ls -A "$TEMP" | wc -l)"
done
