#!/usr/bin/env bash
# Starts the real window under Xvfb with a throw-away home folder and the samples listed from a
# folder in it, and saves a picture of the window. The PNG is written by our own converter from
# the captured BMP. As root, the home is /home/you in a mount namespace of its own (so the
# picture shows no build paths); otherwise a temporary folder.
# Usage: tools/screenshot.sh [OUTPUT.png] [BUILD_DIR]      (docs/window.png is made this way)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-shot.png}")
build=$(realpath -m "${2:-build/release}")
if [ ! -x "$build/bin/corvenda" ] || [ ! -x "$build/bin/nconvert" ]; then
  bash tools/deps.sh
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
  cmake --build "$build" -j2 --target corvenda nconvert corvenda_samples
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs in the home it is given: the samples copied to Cursors, the window started with them.
cat >"$work/shoot.sh" <<'SH'
set -euo pipefail
home=$1 build=$2 bmp=$3
mkdir -p "$home/Desktop" "$home/Cursors"
cp "$build"/bin/Samples/*.ani "$home/Cursors/"
HOME=$home XDG_CONFIG_HOME=$home/.config xvfb-run -a -s "-screen 0 800x600x24" bash -c '
  cd "$HOME"
  "$1" "$HOME"/Cursors/*.ani & pid=$!
  window=
  for _ in $(seq 50); do
    window=$(xdotool search --name "^Corvenda$" 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.2
  done
  sleep 1
  [ -n "$window" ] && import -window "$window" "BMP3:$2"
  kill $pid
  [ -n "$window" ]' _ "$build/bin/corvenda" "$bmp"
SH
if [ "$(id -u)" -eq 0 ] && command -v unshare >/dev/null; then
  unshare --mount bash -c 'mount --make-rprivate / && mount -t tmpfs tmpfs /home &&
    bash "$1" /home/you "$2" "$3"' _ "$work/shoot.sh" "$build" "$work/window.bmp"
else
  bash "$work/shoot.sh" "$work/home/you" "$build" "$work/window.bmp"
fi
"$build/bin/nconvert" -out png -overwrite -o "$out" "$work/window.bmp"
echo "screenshot: $out"
