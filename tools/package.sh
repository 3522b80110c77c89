#!/usr/bin/env bash
# Builds the Debian package build/package/corvenda_VERSION_ARCH.deb with Debian's hardening flags
# and checks it with lintian (which fails the script on any error). The converter uses Debian's
# shared image libraries there, so the package carries no copy of them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
build=build/package
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
# CMake does not read CPPFLAGS, where the fortify level is.
export CFLAGS="$CFLAGS $CPPFLAGS" CXXFLAGS="$CXXFLAGS $CPPFLAGS"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCORVENDA_TESTS=OFF -DCORVENDA_STATIC_CONVERTER=OFF
cmake --build "$build" -j2
rm -f "$build"/corvenda_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/corvenda_*.deb)
dpkg-deb --info "$deb"
lintian --info --display-info "$deb"
echo "package: $deb"
