#!/usr/bin/env bash
# Runs build/windows/bin/corvenda.exe under Wine in Xvfb with a throw-away prefix and home folder,
# loads the samples, converts them into the Desktop folder and saves two screenshots
# (OUTPUT-start.png, OUTPUT-done.png). Prints the window size, the JPGs written and the settings
# found in the registry.
# Usage: tools/windows/screenshot.sh [OUTPUT] [PROGRAM_FOLDER]   (default build/windows/bin; an
# unzipped package works too)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=$(realpath "${2:-$here/../../build/windows/bin}")
out=$(realpath -m "${1:-windows-shot}")
[[ -f $bin/corvenda.exe ]] || { echo "screenshot.sh: run tools/windows/build.sh first" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work CORVENDA_WINEPREFIX=$work/prefix
unset QT_QPA_PLATFORM
source "$here/wine.sh"
mkdir -p "$work/Desktop"
prepare_wine_prefix

xvfb-run -a -s "-screen 0 800x600x24" bash -c '
    set -euo pipefail
    bin=$1 out=$2 desktop=$3
    wine "$bin/corvenda.exe" &
    for _ in $(seq 100); do
        wid=$(xdotool search --name "^Corvenda" 2>/dev/null | head -1 || true)
        [[ -n $wid ]] && break
        sleep 0.3
    done
    [[ -n $wid ]] || { echo "the window did not appear"; exit 1; }
    sleep 2
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    echo "window: ${WIDTH}x${HEIGHT} at ${X},${Y}"
    import -window root "$out-start.png"
    # "Load Sample/Example Files", then "No" to opening the folder.
    xdotool mousemove $((X + 400)) $((Y + 231)) click 1
    sleep 3
    xdotool key Escape
    sleep 1
    # "Start Converting"; the run ends with its message box.
    xdotool mousemove $((X + 268)) $((Y + 454)) click 1
    for _ in $(seq 120); do
        [[ $(ls "$desktop"/*.jpg 2>/dev/null | wc -l) -ge 8 ]] && break
        sleep 0.5
    done
    sleep 3
    import -window root "$out-done.png"
    xdotool key Return
    sleep 1
    xdotool windowclose "$wid" 2>/dev/null || true
    wineserver -k || true
' _ "$bin" "$out" "$work/Desktop"

echo "JPGs on the Desktop:"
ls -l "$work/Desktop"
wine reg query 'HKCU\Software\Quenlow\Corvenda' 2>/dev/null | tr -d '\r'
wineserver -k 2>/dev/null || true
echo "screenshots: $out-start.png $out-done.png"
