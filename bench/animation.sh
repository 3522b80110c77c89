#!/usr/bin/env bash
# Prints how fast and how well nconvert writes whole animations, over the generated samples, test
# files and gallery (every kind of cursor the generator draws):
#  - per file, the median wall time of `nconvert -out gif` and `-out webp` against the pipeline a
#    user would otherwise script: our -frames PNGs, then ImageMagick's
#    `convert -loop 0 -dispose Background -delay JxN f-1.png ... out.gif`;
#  - output sizes: our GIF against that pipeline's, our WebP against `img2webp -lossless` from the
#    same frames with the same durations;
#  - PSNR of every GIF frame against the true frame, both laid on white (the default), and on
#    #202020 with `-background 202020` (ImageMagick's GIF on #202020 for comparison);
#  - what other readers see: delays by ImageMagick's identify (none under 2/100 s, every frame
#    ending within 1/100 s of where a step truly ends, the loop within 1/100 s), WebP durations by
#    webpmux -info (within 1 ms), and pixels that differ between consecutive GIF frames (as
#    ImageMagick composes them) where the true frames are equal (there should be none).
#   bash bench/animation.sh [RUNS] [BUILD_DIR] [FILES]
# RUNS per file and command (default 5), build/release, FILES: only the first FILES inputs (all
# when 0, the default). `bash bench/animation.sh 1 build/release 3` is a quick smoke run.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-5}"
build=${2:-build/release}
limit=${3:-0}
work=$(realpath -m "$build/animation-bench")
dark=202020

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target nconvert samplegen >/dev/null
for tool in convert compare identify img2webp webpmux cmp; do
  command -v "$tool" >/dev/null || {
    echo "$tool is missing (tools/deps.sh installs imagemagick and webp)"
    exit 1
  }
done
rm -rf "$work"
mkdir -p "$work/in" "$work/out"
"$build/samples/samplegen" samples "$work/in/samples" "$work/in/expected" >/dev/null
"$build/samples/samplegen" testfiles "$work/in/testfiles" >/dev/null
"$build/samples/samplegen" gallery "$work/in/gallery" >/dev/null
nconvert="$build/bin/nconvert"

# Every input with its steps, as the generator wrote them: PATH JIFFIES,... FRAME,...
{
  grep '^Samples/.*\.ani ' "$work/in/expected/steps.txt" | sed "s|^|$work/in/samples/|"
  grep -v '\.png ' "$work/in/testfiles/steps.txt" | sed "s|^|$work/in/testfiles/|"
  sed "s|^|$work/in/gallery/|" "$work/in/gallery/steps.txt"
} >"$work/inputs"
[ "$limit" -gt 0 ] && head -n "$limit" "$work/inputs" >"$work/some" && mv "$work/some" "$work/inputs"
count=$(wc -l <"$work/inputs")

now_us() { echo $(($(date +%s%N) / 1000)); }
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)]; else print "-" }'; }
worst() { sort -g | head -1; }
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

# Each step's duration in ms (the running total rounded, as nconvert rounds it).
step_ms() { tr ',' '\n' <<<"$1" | awk '{ t += $1; e = int((t * 1000 + 30) / 60); print e - p; p = e }'; }

# Checks frame durations read by another program ($2: one per line) against the steps' jiffies
# ($1) in units of 1/$3 s: prints the smallest duration (of several frames), the largest distance
# of a frame's end from the nearest true end of a step (in units), and the loop's error.
timing_check() {
  awk -v jiffies="$1" -v unit="$3" '
    BEGIN { n = split(jiffies, j, ","); for (i = 1; i <= n; i++) { t += j[i]; end[i] = t * unit / 60 } }
    { d[++m] = $1 }
    END {
      least = 1e18; far = 0; k = 1
      for (f = 1; f <= m; f++) {
        c += d[f]; if (m > 1 && d[f] < least) least = d[f]
        while (k < n && (end[k + 1] - c) ^ 2 <= (end[k] - c) ^ 2) k++
        e = c - end[k]; if (e < 0) e = -e; if (e > far) far = e
      }
      loop = c - end[n]; if (loop < 0) loop = -loop
      if (m == 1) least = "-"
      printf "%s %.2f %.2f\n", least, far, loop
    }' <<<"$2"
}

# Per frame of the GIF: the step whose picture it shows (the picture shown longest during the
# frame, the later on a tie), from the delays ($3, cs) and the steps' jiffies and frames.
shown_steps() {
  awk -v jiffies="$1" -v frames="$2" '
    BEGIN { n = split(jiffies, j, ","); split(frames, fr, ","); for (i = 1; i <= n; i++) { s[i] = t * 100 / 60; t += j[i]; e[i] = t * 100 / 60 } }
    { d[++m] = $1 }
    END {
      for (f = 1; f <= m; f++) {
        from = c; c += d[f]; to = (f == m) ? e[n] : c
        delete shown; best = 0
        for (i = 1; i <= n; i++) {
          o = (e[i] < to ? e[i] : to) - (s[i] > from ? s[i] : from)
          if (o > 0 || (m == 1 && i == 1)) { shown[fr[i]] += (o > 0 ? o : 0); last[fr[i]] = i }
        }
        for (p in shown) if (!best || shown[p] > shown[fr[best]] + 1e-9 || (shown[p] >= shown[fr[best]] - 1e-9 && last[p] > best)) best = last[p]
        print best
      }
    }' <<<"$3"
}

# PSNR of one composed GIF frame against one true frame, both as PPM.
psnr() { compare -metric PSNR "$1" "$2" null: 2>&1 | cut -d' ' -f1 || true; }

# Pixels that differ between consecutive GIF frames where the true frames are equal. $1: the
# composed frames (raw RGB, c-N.rgb from 0), $2: the true frames (raw RGBA, t-N.rgba from 1), then
# the step each frame shows.
unchanged_differing() {
  local dir=$1 truth=$2 total=0 k next a b
  shift 2
  local steps=("$@") m=$#
  [ "$m" -gt 1 ] || { echo 0; return; }
  for ((k = 0; k < m; k++)); do
    next=$(((k + 1) % m))
    a=${steps[$k]} b=${steps[$next]}
    total=$((total + $(
      {
        { cmp -l "$truth/t-$a.rgba" "$truth/t-$b.rgba" || true; } | awk '{ print "t", int(($1 - 1) / 4) }'
        { cmp -l "$dir/c-$k.rgb" "$dir/c-$next.rgb" || true; } | awk '{ print "g", int(($1 - 1) / 3) }'
      } | awk '$1 == "t" { t[$2] = 1 } $1 == "g" && !($2 in t) { g[$2] = 1 } END { print length(g) }'
    )))
  done
  echo "$total"
}

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load $(cut -d' ' -f1 /proc/loadavg)"
echo "inputs: $count generated files; $runs runs per file and command; medians of wall time"
printf '%-20s %5s %6s %8s %8s %9s %6s %8s %8s %8s %8s\n' file steps frames gif_us webp_us pipeline_us \
  faster gif_b magick_b webp_b img2webp
: >"$work/ratios" >"$work/webp_ratios" >"$work/sizes" >"$work/webp_sizes" >"$work/timing" \
  >"$work/psnr_white" >"$work/psnr_white_magick" >"$work/psnr_dark" >"$work/psnr_dark_magick" \
  >"$work/exact" >"$work/unchanged"
while read -r f steps frames; do
  name=$(basename "$f")
  IFS=, read -ra jiffies <<<"$steps"
  t_gif=$(timed ours_gif "$f")
  t_webp=$(timed ours_webp "$f")
  t_pipe=$(timed pipeline "$f")
  ratio=$(awk -v a="$t_pipe" -v b="$t_gif" 'BEGIN { printf "%.1f", a / b }')
  echo "$ratio" >>"$work/ratios"
  awk -v a="$t_pipe" -v b="$t_webp" 'BEGIN { printf "%.1f\n", a / b }' >>"$work/webp_ratios"
  # img2webp from the same frames, each for its step's time (it takes no step of no time; a
  # still is given any).
  mapfile -t ms < <(step_ms "$steps")
  args=() i=0
  for png in "$work"/out/frames/f-*.png; do
    [ "${ms[$i]}" -eq 0 ] || args+=(-d "${ms[$i]}" "$png")
    i=$((i + 1))
  done
  [ ${#args[@]} -gt 0 ] || args=(-d 100 "$work"/out/frames/f-1.png)
  img2webp -lossless -loop 0 "${args[@]}" -o "$work/out/img2webp.webp" >/dev/null 2>&1
  gif_bytes=$(stat -c %s "$work/out/ours.gif")
  magick_bytes=$(stat -c %s "$work/out/magick.gif")
  webp_bytes=$(stat -c %s "$work/out/ours.webp")
  ref_bytes=$(stat -c %s "$work/out/img2webp.webp")
  awk -v a="$gif_bytes" -v b="$magick_bytes" 'BEGIN { print a / b }' >>"$work/sizes"
  awk -v a="$webp_bytes" -v b="$ref_bytes" 'BEGIN { print a / b }' >>"$work/webp_sizes"

  # Timing as other readers see it.
  delays=$(identify -format '%T\n' "$work/out/ours.gif")
  info=$(webpmux -info "$work/out/ours.webp")
  if grep -q animation <<<"$info"; then
    durations=$(awk '/^ *[0-9]+:/ { print $7 }' <<<"$info")
  else
    durations=$(awk -v s="$steps" 'BEGIN { n = split(s, j, ","); for (i = 1; i <= n; i++) t += j[i]; print int((t * 1000 + 30) / 60) }')
  fi
  read -r gif_least gif_far gif_loop < <(timing_check "$steps" "$delays" 100)
  read -r webp_least webp_far webp_loop < <(timing_check "$steps" "$durations" 1000)
  echo "$name $gif_least $gif_far $gif_loop $webp_least $webp_far $webp_loop" >>"$work/timing"
  gif_frames=$(wc -l <<<"$delays")
  printf '%-20s %5s %6s %8s %8s %9s %5sx %8s %8s %8s %8s\n' "$name" "${#jiffies[@]}" "$gif_frames" \
    "$t_gif" "$t_webp" "$t_pipe" "$ratio" "$gif_bytes" "$magick_bytes" "$webp_bytes" "$ref_bytes"

  # Quality: our GIF composed by ImageMagick, on white and with -background on dark.
  "$nconvert" -out gif -background "$dark" -overwrite -o "$work/out/dark.gif" "$f"
  rm -rf "$work/out/q" && mkdir "$work/out/q"
  q=$work/out/q
  convert "$work"/out/frames/f-*.png -background white -alpha remove -alpha off +adjoin "$q/tw-%d.ppm"
  convert "$work"/out/frames/f-*.png -background "#$dark" -alpha remove -alpha off +adjoin "$q/td-%d.ppm"
  convert "$work"/out/frames/f-*.png -depth 8 +adjoin "rgba:$q/t-%d.rgba"
  convert "$work/out/ours.gif" -coalesce -background white -alpha remove -alpha off +adjoin "$q/w-%d.ppm"
  convert "$work/out/dark.gif" -coalesce -background "#$dark" -alpha remove -alpha off +adjoin "$q/d-%d.ppm"
  convert "$work/out/ours.gif" -coalesce -background '#FF00FE' -alpha remove -alpha off -depth 8 +adjoin "rgb:$q/c-%d.rgb"
  convert "$work/out/magick.gif" -coalesce -background white -alpha remove -alpha off +adjoin "$q/mw-%d.ppm"
  convert "$work/out/magick.gif" -coalesce -background "#$dark" -alpha remove -alpha off +adjoin "$q/md-%d.ppm"
  mapfile -t shown < <(shown_steps "$steps" "$frames" "$delays")
  mapfile -t shown_dark < <(shown_steps "$steps" "$frames" "$(identify -format '%T\n' "$work/out/dark.gif")")
  for k in "${!shown[@]}"; do
    step=$((shown[k] - 1))
    white=$(psnr "$q/w-$k.ppm" "$q/tw-$step.ppm")
    echo "$white" >>"$work/psnr_white"
    colours=$(identify -format %k "$q/tw-$step.ppm")
    if [ "$colours" -le 256 ]; then echo "$name frame $((k + 1)): $colours colours, PSNR $white" >>"$work/exact"; fi
  done
  for k in "${!shown_dark[@]}"; do
    echo "$(psnr "$q/d-$k.ppm" "$q/td-$((shown_dark[k] - 1)).ppm") $name" >>"$work/psnr_dark"
  done
  for ((k = 0; k < ${#jiffies[@]}; k++)); do
    psnr "$q/mw-$k.ppm" "$q/tw-$k.ppm" >>"$work/psnr_white_magick"
    psnr "$q/md-$k.ppm" "$q/td-$k.ppm" >>"$work/psnr_dark_magick"
  done
  # c-N from 0, t-N from 0: the true frame of step S (from 1) is t-(S-1).
  for k in "${!shown[@]}"; do shown[k]=$((shown[k] - 1)); done
  echo "$name $(unchanged_differing "$q" "$q" "${shown[@]}")" >>"$work/unchanged"
done <"$work/inputs"

# CPU time (user + system, children included) of one pass over every file: steadier than wall
# time on a busy machine.
cpu_of() {
  local TIMEFORMAT='%U %S' f steps frames
  { time while read -r f steps frames; do
    IFS=, read -ra jiffies <<<"$steps"
    "$1" "$f" >/dev/null
  done <"$work/inputs"; } 2>&1 | awk '{ printf "%.2f", $1 + $2 }'
}
cpu_gif=$(cpu_of ours_gif)
cpu_webp=$(cpu_of ours_webp)
cpu_pipe=$(cpu_of pipeline)

echo
echo "pipeline time / ours, median over files: -out gif $(median <"$work/ratios")x (lowest $(worst <"$work/ratios")x), -out webp $(median <"$work/webp_ratios")x (lowest $(worst <"$work/webp_ratios")x)"
echo "CPU seconds for all $count files: ours -out gif $cpu_gif, -out webp $cpu_webp, pipeline $cpu_pipe ($(awk -v a="$cpu_pipe" -v b="$cpu_gif" 'BEGIN { printf "%.1f", a / b }')x gif, $(awk -v a="$cpu_pipe" -v b="$cpu_webp" 'BEGIN { printf "%.1f", a / b }')x webp)"
echo "our GIF size / ImageMagick's, median over files: $(median <"$work/sizes") (largest $(sort -g "$work/sizes" | tail -1))"
echo "our WebP size / img2webp -lossless, median over files: $(median <"$work/webp_sizes") (largest $(sort -g "$work/webp_sizes" | tail -1))"
echo "PSNR of GIF frames against the true frames ($(wc -l <"$work/psnr_white") frames of ours, $(wc -l <"$work/psnr_white_magick") of ImageMagick's):"
echo "  on white, default:            ours median $(median <"$work/psnr_white") dB, worst $(worst <"$work/psnr_white") dB; ImageMagick median $(median <"$work/psnr_white_magick") dB, worst $(worst <"$work/psnr_white_magick") dB"
echo "  on #$dark, -background $dark: ours median $(cut -d' ' -f1 "$work/psnr_dark" | median) dB, worst $(cut -d' ' -f1 "$work/psnr_dark" | worst) dB; ImageMagick median $(median <"$work/psnr_dark_magick") dB, worst $(worst <"$work/psnr_dark_magick") dB"
echo "  on #$dark, worst frame of each file under 40 dB: $(sort -k2,2 -k1,1g "$work/psnr_dark" | awk '$1 < 40 && !seen[$2]++ { printf "%s %s dB; ", $2, $1 }')"
echo "frames of 256 colours or fewer on white: $(wc -l <"$work/exact"), of them exact (inf): $(grep -c 'PSNR inf' "$work/exact" || true)"
grep -v 'PSNR inf' "$work/exact" | head -5 | sed 's/^/  not exact: /' || true
echo "GIF timing by identify: shortest delay of an animation $(awk '$2 != "-" { print $2 }' "$work/timing" | worst) cs, farthest frame end from a step's end $(awk '{ print $3 }' "$work/timing" | sort -g | tail -1) cs, loop error at most $(awk '{ print $4 }' "$work/timing" | sort -g | tail -1) cs"
echo "WebP timing by webpmux -info: shortest frame of an animation $(awk '$5 != "-" { print $5 }' "$work/timing" | worst) ms, farthest frame end from a step's end $(awk '{ print $6 }' "$work/timing" | sort -g | tail -1) ms, loop error at most $(awk '{ print $7 }' "$work/timing" | sort -g | tail -1) ms"
echo "pixels differing between consecutive GIF frames (the last to the first included) where the true frames are equal: $(awk '{ s += $2 } END { print s + 0 }' "$work/unchanged") in all files"
awk '$2 > 0' "$work/unchanged" | head -5 | sed 's/^/  /'
