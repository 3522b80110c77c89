#!/usr/bin/env bash
# Zips the Windows program folder (build/windows/bin, made by tools/windows/build.sh) into
# build/windows/Corvenda-windows-x64.zip: unzipped anywhere, it is an installation.
set -euo pipefail
bin=$(cd "$(dirname "$0")/../.." && pwd)/build/windows/bin
zip=$(dirname "$bin")/Corvenda-windows-x64.zip
cd "$bin"
[[ -f corvenda.exe ]] || { echo "package.sh: run tools/windows/build.sh first" >&2; exit 2; }
# The program and what it loads; test programs and the test library stay out.
files=(corvenda.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll libstdc++-6.dll libgcc_s_seh-1.dll
    libwinpthread-1.dll platforms/qwindows.dll styles imageformats Samples HAND-M.CUR drag.ico)
[[ -d x ]] && files+=(x)
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
mkdir "$staging/Corvenda"
cp -r --parents "${files[@]}" "$staging/Corvenda/"
# Debian's MinGW runtime and our Qt carry their debugging symbols; a user has no use for them.
find "$staging/Corvenda" \( -name '*.dll' -o -name '*.exe' \) \
    -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
rm -f "$zip"
(cd "$staging" && zip -qr9 "$zip" Corvenda)
echo "$zip"
unzip -l "$zip" | tail -1
