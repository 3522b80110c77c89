#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need; does nothing when all are there.
#   bash tools/deps.sh [PACKAGE...]   (PACKAGE...: more packages a script needs, such as fuzzing's)
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev libturbojpeg0-dev libpng-dev zlib1g-dev libgif-dev libwebp-dev webp
  libgtest-dev libgmock-dev imagemagick xvfb x11-utils xdotool fonts-liberation time
  desktop-file-utils appstream lintian dpkg-dev libgdk-pixbuf2.0-bin lld valgrind openbox
  python3 libxcursor-dev python3-xlib adwaita-icon-theme dmz-cursor-theme breeze-cursor-theme "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q "${missing[@]}"
fi
