#!/usr/bin/env bash
# Writes build/windows/Corvenda-VERSION-third-party-sources.tar.xz, published beside the installer:
# the exact Debian source packages (each .dsc with the archives it names) of the LGPL and GPL
# parts the Windows program ships: Qt as the build made it, the GCC runtime DLLs and GCC's own
# source they were built from, and the MinGW-w64 runtime (libwinpthread-1.dll).
# tools/windows/build.sh records them in its cache and downloads the runtime's.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$here/../.." && pwd)/build/windows
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
cache=${CORVENDA_WINDOWS_CACHE:-$(sed -n 's/^CORVENDA_WINDOWS_CACHE:PATH=//p' "$build/CMakeCache.txt")}
[[ -n $version && -d $cache/versions ]] || {
  echo "sources.sh: run tools/windows/build.sh first" >&2
  exit 2
}
out=$build/Corvenda-$version-third-party-sources.tar.xz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

files=()
missing=()
{
  echo "Sources of the LGPL and GPL parts of Corvenda $version for Windows: Debian source packages,"
  echo "each unpacked with 'dpkg-source -x NAME.dsc'."
  echo
  for part in qtbase:"Qt6Core.dll, Qt6Gui.dll, Qt6Widgets.dll and the plugins (LGPL-3.0)" \
    gcc-runtime:"libstdc++-6.dll, libgcc_s_seh-1.dll: the packaging (GPL-3.0 with the GCC Runtime Library Exception)" \
    gcc-source:"libstdc++-6.dll, libgcc_s_seh-1.dll: GCC's source the packaging builds from" \
    mingw-runtime:"libwinpthread-1.dll and the start-up code in the .exe files"; do
    record=$cache/versions/${part%%:*}
    [[ -f $record ]] || { echo "sources.sh: $record is missing (run tools/windows/build.sh)" >&2; exit 2; }
    read -r source pkgversion _ dsc <"$record"
    [[ -f $dsc ]] || { missing+=("$dsc"); continue; }
    echo "$(basename "$dsc"): $source $pkgversion, for ${part#*:}"
    files+=("$(basename "$dsc")")
    # The archives a .dsc names follow its "Files:" line, one " MD5 SIZE NAME" line each.
    while read -r name; do
      if [[ -f $cache/src/dl/$name ]]; then files+=("$name"); else missing+=("$cache/src/dl/$name"); fi
    done < <(awk '/^Files:/ { on = 1; next } on && /^ / { print $3; next } { on = 0 }' "$dsc")
  done
} >"$work/SOURCES.txt"
if ((${#missing[@]})); then
  printf 'sources.sh: no archive written; these sources could not be fetched (build.sh fetches them):\n' >&2
  printf '  %s\n' "${missing[@]}" >&2
  exit 1
fi
# The archives inside are compressed already.
XZ_OPT=-0 tar -chJf "$out.tmp" -C "$work" SOURCES.txt -C "$cache/src/dl" "${files[@]}"
mv "$out.tmp" "$out"
echo "$out ($(du -k "$out" | cut -f1) KB)"
