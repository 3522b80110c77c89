#!/usr/bin/env bash
# Prints how fast and how well nconvert writes whole animations, over the generated samples, test
# files and 64 gallery cursors of every kind the generator draws:
#  - per file, the median wall time of `nconvert -out gif` and `-out webp` against the pipeline a
#    user would otherwise script: our -frames PNGs, then ImageMagick's
#    `convert -loop 0 -dispose Background -delay JxN f-1.png ... out.gif`; output sizes;
#  - the quality of our GIF (and, for comparison, ImageMagick's): PSNR of every frame laid on white
#    against the true frame laid on white; frames of 256 colours or fewer must be exact (inf).
#   bash bench/animation.sh [RUNS] [BUILD_DIR]   (RUNS per file, default 5; build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-5}"
build=${2:-build/release}
work=$(realpath -m "$build/animation-bench")

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target nconvert samplegen >/dev/null
for tool in convert compare identify; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (tools/deps.sh installs imagemagick)"; exit 1; }
done
rm -rf "$work"
mkdir -p "$work/in" "$work/out"
"$build/samples/samplegen" samples "$work/in/samples" "$work/in/expected" >/dev/null
"$build/samples/samplegen" testfiles "$work/in/testfiles" >/dev/null
"$build/samples/samplegen" gallery "$work/in/gallery" >/dev/null
inputs=("$work"/in/samples/Samples/*.ani "$work"/in/testfiles/*.cur "$work"/in/testfiles/*.ico
  "$work"/in/gallery/*.ani)
nconvert="$build/bin/nconvert"

now_us() { echo $(($(date +%s%N) / 1000)); }
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)]; else print "-" }'; }
# Median wall time in microseconds of RUNS runs of a shell function.
timed() {
  local i start
  for ((i = 0; i < runs; i++)); do
    start=$(now_us)
    "$@" >/dev/null
    echo $(($(now_us) - start))
  done | median
}

ours_gif() { "$nconvert" -out gif -overwrite -o "$work/out/ours.gif" "$1"; }
ours_webp() { "$nconvert" -out webp -overwrite -o "$work/out/ours.webp" "$1"; }
# What a script would do: every step as a PNG, then ImageMagick with each step's delay.
pipeline() {
  rm -rf "$work/out/frames" && mkdir "$work/out/frames"
  "$nconvert" -out png -frames -o "$work/out/frames/f.png" "$1"
  local args=() i=0
  for png in "$work"/out/frames/f-*.png; do
    args+=(-delay "${jiffies[$i]}x60" "$png")
    i=$((i + 1))
  done
  convert -loop 0 -dispose Background "${args[@]}" "$work/out/magick.gif"
}

# PSNR of frame $2 of GIF $1 on white against the true frame $3 on white.
psnr() {
  convert "$1[$2]" -background white -alpha remove -alpha off "$work/out/gif.ppm"
  compare -metric PSNR "$work/out/gif.ppm" "$work/out/true.ppm" null: 2>&1 | cut -d' ' -f1 || true
}

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load $(cut -d' ' -f1 /proc/loadavg)"
echo "inputs: ${#inputs[@]} generated files; $runs runs per file and command; medians of wall time"
printf '%-24s %5s %9s %9s %11s %7s %9s %9s %9s\n' file steps gif_us webp_us pipeline_us faster \
  gif_bytes magick_b webp_bytes
: >"$work/ratios" >"$work/sizes" >"$work/psnr_ours" >"$work/psnr_magick" >"$work/exact"
for f in "${inputs[@]}"; do
  name=$(basename "$f")
  mapfile -t jiffies < <("$nconvert" -info "$f" | sed -n 's/^step [0-9]*: frame [0-9]*, \([0-9]*\) ms.*/\1/p' |
    awk '{ print int($1 * 60 / 1000 + 0.5) }')
  # -info gives milliseconds; the pipeline takes the file's own jiffies back from them.
  t_gif=$(timed ours_gif "$f")
  t_webp=$(timed ours_webp "$f")
  t_pipe=$(timed pipeline "$f")
  ratio=$(awk -v a="$t_pipe" -v b="$t_gif" 'BEGIN { printf "%.1f", a / b }')
  gif_bytes=$(stat -c %s "$work/out/ours.gif")
  magick_bytes=$(stat -c %s "$work/out/magick.gif")
  echo "$ratio" >>"$work/ratios"
  awk -v a="$gif_bytes" -v b="$magick_bytes" 'BEGIN { print a / b }' >>"$work/sizes"
  printf '%-24s %5s %9s %9s %11s %6sx %9s %9s %9s\n' "$name" "${#jiffies[@]}" "$t_gif" "$t_webp" \
    "$t_pipe" "$ratio" "$gif_bytes" "$magick_bytes" "$(stat -c %s "$work/out/ours.webp")"
  i=0
  for png in "$work"/out/frames/f-*.png; do
    convert "$png" -background white -alpha remove -alpha off "$work/out/true.ppm"
    colours=$(identify -format %k "$work/out/true.ppm")
    ours=$(psnr "$work/out/ours.gif" "$i")
    echo "$ours" >>"$work/psnr_ours"
    psnr "$work/out/magick.gif" "$i" >>"$work/psnr_magick"
    [ "$colours" -le 256 ] && echo "$name step $((i + 1)): $colours colours, PSNR $ours" >>"$work/exact"
    i=$((i + 1))
  done
done

# CPU time (user + system, children included) of one pass over every file: steadier than wall
# time on a busy machine.
cpu_of() {
  local TIMEFORMAT='%U %S'
  { time for f in "${inputs[@]}"; do
    mapfile -t jiffies < <("$nconvert" -info "$f" | sed -n 's/^step [0-9]*: frame [0-9]*, \([0-9]*\) ms.*/\1/p' |
      awk '{ print int($1 * 60 / 1000 + 0.5) }')
    "$1" "$f" >/dev/null
  done; } 2>&1 | awk '{ printf "%.2f", $1 + $2 }'
}
cpu_gif=$(cpu_of ours_gif)
cpu_webp=$(cpu_of ours_webp)
cpu_pipe=$(cpu_of pipeline)

worst() { sort -g | head -1; }
echo
echo "pipeline time / ours (-out gif), median over files: $(median <"$work/ratios")x, lowest: $(sort -g "$work/ratios" | head -1)x"
echo "CPU seconds for all ${#inputs[@]} files (each pass also runs -info once per file): ours -out gif $cpu_gif, -out webp $cpu_webp, pipeline $cpu_pipe ($(awk -v a="$cpu_pipe" -v b="$cpu_gif" 'BEGIN { printf "%.1f", a / b }')x)"
echo "our GIF size / ImageMagick's, median over files: $(median <"$work/sizes")"
echo "PSNR of GIF frames on white against the true frames on white ($(wc -l <"$work/psnr_ours") frames):"
echo "  ours:        median $(median <"$work/psnr_ours") dB, worst $(worst <"$work/psnr_ours") dB"
echo "  ImageMagick: median $(median <"$work/psnr_magick") dB, worst $(worst <"$work/psnr_magick") dB"
echo "frames of 256 colours or fewer: $(wc -l <"$work/exact"), of them exact (inf): $(grep -c 'PSNR inf' "$work/exact" || true)"
grep -v 'PSNR inf' "$work/exact" | head -5 | sed 's/^/  not exact: /' || true
