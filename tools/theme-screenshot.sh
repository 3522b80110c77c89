#!/usr/bin/env bash
# The README's picture of a Windows cursor theme made a Linux one in the window: the real window
# under Xvfb (with openbox, so dialogs are placed and framed as on a desktop) and a throw-away
# home, a theme pack drawn by our generator, "Start Converting", then "See the Cursors".
# Usage: tools/theme-screenshot.sh [OUTPUT.png] [BUILD_DIR]   (default docs/window-theme.png)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/window-theme.png}")
build=${2:-build/release}
if [ ! -x "$build/bin/corvenda" ] || [ ! -x "$build/samples/samplegen" ]; then
  bash tools/deps.sh
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
  cmake --build "$build" --target corvenda samplegen
fi
home=$(mktemp -d /tmp/you.XXXX)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/Desktop" "$home/Cursor themes" "$home/.config/Quenlow" "$(dirname "$out")"
"$build/samples/samplegen" themepacks "$home/Downloads" >/dev/null
# The choices a user makes in the window: "Save as: Linux cursor theme", into a folder of theirs.
cat >"$home/.config/Quenlow/Corvenda.conf" <<EOF
[General]
OutputFormat=theme
Option1=True
Option2=False
Text1=$home/Cursor themes/
EOF
HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share \
  xvfb-run -a -s "-screen 0 1280x720x24" bash -c '
  set -eu
  window() { # the first window whose title matches, waited for
    for _ in $(seq 50); do
      id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
      [ -n "$id" ] && { echo "$id"; return; }
      sleep 0.2
    done
    echo "no window \"$1\" appeared" >&2
    return 1
  }
  openbox & wm=$!
  sleep 0.5
  "$1" "$2/Downloads/ascii" & pid=$!
  main=$(window "^Corvenda$")
  sleep 1
  xdotool windowmove "$main" 12 40
  sleep 0.5
  # "Start Converting", then the final box: "See the Cursors".
  xdotool mousemove --window "$main" 268 454 click 1
  sleep 2
  xdotool key alt+s
  preview=$(window "cursor theme")
  sleep 0.5
  xdotool windowmove "$preview" 560 40
  sleep 1
  import -window root "$3"
  xdotool key Escape
  sleep 0.5
  xdotool key Return
  kill $pid $wm
  wait $pid || true' _ "$(realpath "$build/bin/corvenda")" "$home" "$out"
# The screen around the windows is left out.
convert "$out" -trim +repage "$out"
echo "screenshot: $out"
