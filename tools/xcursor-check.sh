#!/usr/bin/env bash
# Checks on a real X server (Xvfb) that our cursors are what desktops show: makes a theme of the
# generated 17-role pack, and through tools/xcursor-check.py loads left_ptr, xterm, hand2,
# sb_h_double_arrow and watch from it by name with libXcursor, sets each on the root window and
# reads it back with XFixes.
#   bash tools/xcursor-check.sh [NCONVERT SAMPLEGEN]   (default: both built in build/release)
# Prints SKIPPED with the reason when Xvfb, python3-xlib or libXcursor is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
skip() {
  echo "SKIPPED: $*"
  exit 0
}
command -v xvfb-run >/dev/null || skip "xvfb-run is missing (tools/deps.sh installs xvfb)"
# Debian's own Python, which has Debian's python3-xlib, even where another python3 comes first.
python=/usr/bin/python3
[ -x "$python" ] || python=python3
"$python" -c "import Xlib.ext.xfixes" 2>/dev/null ||
  skip "python3-xlib is missing (tools/deps.sh installs it)"
"$python" -c "import ctypes; ctypes.CDLL('libXcursor.so.1'); ctypes.CDLL('libX11.so.6')" \
  2>/dev/null || skip "libXcursor is missing (tools/deps.sh installs libxcursor-dev)"

if [ $# -ge 2 ]; then
  nconvert=$1
  samplegen=$2
else
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build/release -j2 --target nconvert samplegen >/dev/null
  nconvert=build/release/bin/nconvert
  samplegen=build/release/samples/samplegen
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$samplegen" themepacks "$work/packs" >/dev/null
"$nconvert" -theme "$work/packs/ascii" -o "$work/themes" >"$work/report.txt"
folder=$(awk -F'\t' '$1 == "theme" { print $2; exit }' "$work/report.txt")
theme=$(basename "$folder")
echo "theme: $folder"
# libXcursor reads XCURSOR_PATH once, at its first look-up.
XCURSOR_PATH="$work/themes" xvfb-run -a -s "-screen 0 640x480x24" \
  "$python" tools/xcursor-check.py "$work/themes" "$theme" \
  left_ptr xterm hand2 sb_h_double_arrow watch
