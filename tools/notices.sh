#!/usr/bin/env bash
# Writes THIRD-PARTY-NOTICES.txt for what a build's programs carry: every library archive (and
# start-up object) its link maps name, and every DLL shipped beside them, grouped by the source
# package it was built from, at the version that was built, with the licence texts of its
# Debian copyright file and the common licences that file refers to. The build runs it.
#   tools/notices.sh OUTPUT [--windows CACHE] FILE...
# FILE: a linker map (*.map) of a shipped program, or a shipped DLL. CACHE: the Windows build's
# cache (tools/windows/build.sh), whose libraries and Qt were built from Debian's source packages.
# Files of the build tree itself are ours. Anything it cannot trace to a package stops it.
set -euo pipefail
out=$1
shift
cache=
if [[ ${1:-} == --windows ]]; then
  cache=$(realpath "$2")
  shift 2
fi
tree=$(realpath "$(dirname "$out")")
while [[ $tree != / && ! -f $tree/CMakeCache.txt ]]; do tree=$(dirname "$tree"); done
fail() {
  echo "notices.sh: $*" >&2
  exit 1
}

# The archives and objects a linker map names, outside the build tree. GNU ld lists archive
# members as "/path/libx.a(member.o)", lld as "/path/libx.a(member.o):(.text...)".
# Relative paths are the build tree's, where the link ran.
inputs_of_map() {
  grep -oE '(^|[[:space:]])[^[:space:]():<>]+\.(a|o|obj)(\(|:|$|[[:space:]])' "$1" |
    sed -E 's/^[[:space:]]+//; s/[(:[:space:]]$//' |
    sort -u | while read -r path; do
      [[ $path == /* ]] || continue
      case $(realpath -m "$path") in "$tree"/*) continue ;; esac
      printf '%s\n' "$path"
    done
}

# "SOURCE VERSION COPYRIGHT" of the Debian source package behind a host file, with the
# copyright file of the binary package that holds it.
host_source() {
  local path=$1 owner
  owner=$(dpkg -S "$(realpath -m "$path")" 2>/dev/null || dpkg -S "$path" 2>/dev/null) ||
    fail "no Debian package holds $path"
  owner=${owner%%: *}
  dpkg-query -W -f='${source:Package} ${source:Version} /usr/share/doc/${Package}/copyright\n' \
    "${owner%%,*}"
}

# The part of the Windows cache a file belongs to (see tools/windows/build.sh).
cache_stage() {
  local name
  name=$(basename "$1")
  case $1 in
    "$cache"/qt/*) echo qtbase ;;
    *) case $name in
        libturbojpeg.a | libjpeg.a) echo libjpeg ;;
        libpng*.a) echo libpng ;;
        libgif.a) echo giflib ;;
        libwebp*.a | libsharpyuv.a) echo libwebp ;;
        *) fail "$1: a file of the Windows cache no stage is known to make" ;;
      esac ;;
  esac
}

# "SOURCE VERSION COPYRIGHT" of what a cache stage was built from, as build.sh recorded it.
cache_source() {
  local record=$cache/versions/$1 source version copyright
  [[ -f $record ]] || fail "$record is missing (run tools/windows/build.sh)"
  read -r source version copyright _ <"$record"
  printf '%s %s %s\n' "$source" "$version" "$copyright"
}

declare -A files_of=() copyright_of=()
order=()
note() { # note "SOURCE VERSION COPYRIGHT" FILE
  local source version copyright key
  read -r source version copyright <<<"$1"
  [[ -f $copyright ]] || fail "$copyright (the licences of $source) is missing"
  key="$source $version"
  [[ -n ${files_of[$key]+set} ]] || {
    order+=("$key")
    files_of[$key]=
    copyright_of[$key]=$copyright
  }
  case " ${files_of[$key]} " in *" $2 "*) ;; *) files_of[$key]+=" $2" ;; esac
}
# "SOURCE VERSION COPYRIGHT" of any file.
source_of() {
  local path stage
  path=$(realpath -m "$1")
  if [[ -n $cache && $path == "$cache"/* ]]; then
    stage=$(cache_stage "$path")
    cache_source "$stage"
  else
    host_source "$1"
  fi
}

for file in "$@"; do
  case $file in
    *.map) inputs=$(inputs_of_map "$file") ;;
    *.dll) inputs=$file ;;
    *) fail "$file: neither a linker map nor a DLL" ;;
  esac
  while read -r input; do
    [[ -n $input ]] || continue
    found=$(source_of "$input")
    note "$found" "$(basename "$input")"
  done <<<"$inputs"
done
((${#order[@]})) || fail "no library found in $*"

# The short licence names a DEP-5 copyright file gives, in order of first use; the first
# line of each "License:" field.
licences_of() {
  sed -n 's/^License: *//p' "$1" | awk '!seen[$0]++' | paste -sd ';' | sed 's/;/; /g'
}

rule() { printf '%s\n' "------------------------------------------------------------------------------"; }
{
  printf 'THIRD-PARTY NOTICES FOR CORVENDA\n\n'
  printf 'Corvenda is made by Quenlow. This build of it carries the libraries listed below, each\n'
  printf 'under its own licence; their licence texts follow the list: the Debian copyright file of\n'
  printf 'the source package each was built from, then the full texts those files refer to.\n'
  printf 'This file was written by tools/notices.sh from what the build linked and ships.\n\n'
  printf '==============================================================================\n'
  printf '1. WHAT THE PROGRAMS CARRY\n'
  printf '==============================================================================\n\n'
  for key in "${order[@]}"; do
    printf '%s (Debian source package %s, version %s)\n' "${key% *}" "${key% *}" "${key#* }"
    printf '  in: %s\n' "$(printf '%s\n' ${files_of[$key]} | sort | paste -sd ' ' | fold -s -w 90 |
      sed '2,$s/^/      /')"
    licences=$(licences_of "${copyright_of[$key]}")
    printf '  licences: %s\n\n' "$(printf '%s\n' "${licences:-as its copyright file below says}" |
      fold -s -w 88 | sed '2,$s/^/    /')"
  done
  if [[ -n $cache ]]; then
    printf '==============================================================================\n'
    printf '2. SOURCES OF THE LGPL AND GPL PARTS, AND REPLACING QT\n'
    printf '==============================================================================\n\n'
    printf 'Corvenda-<version>-third-party-sources.tar.xz, published beside the installer, holds\n'
    printf 'the exact Debian source packages (.dsc and the archives it names) of Qt and of the\n'
    printf 'MinGW-w64 runtime and GCC runtime DLLs listed above. Qt was built unmodified with\n'
    printf "Debian's MinGW-w64 cross compiler and the options of build_qtbase in\n"
    printf "tools/windows/build.sh of Corvenda's own source.\n\n"
    printf 'corvenda.exe loads Qt from the DLLs beside it. To run Corvenda with a Qt of your own\n'
    printf '(modified or not), build a compatible Qt with a MinGW-w64 x86_64 toolchain (POSIX\n'
    printf 'threads, SEH exceptions) and replace Qt6Core.dll, Qt6Gui.dll, Qt6Widgets.dll and the\n'
    printf 'plugins in the platforms, styles and imageformats folders with your own.\n\n'
  fi
  printf '==============================================================================\n'
  printf '%s. LICENCE TEXTS\n' "$([[ -n $cache ]] && echo 3 || echo 2)"
  printf '==============================================================================\n'
  declare -A common=()
  for key in "${order[@]}"; do
    file=${copyright_of[$key]}
    printf '\n'
    rule
    printf '%s %s: %s\n' "${key% *}" "${key#* }" "Debian's copyright file"
    rule
    cat "$file"
    while read -r licence; do common[$licence]=1; done < <(
      grep -oE '/usr/share/common-licenses/[A-Za-z0-9._+-]*[A-Za-z0-9+]' "$file" | sort -u)
  done
  for licence in $(printf '%s\n' "${!common[@]}" | sort); do
    [[ -f $licence ]] || continue
    printf '\n'
    rule
    printf '%s\n' "$licence"
    rule
    cat "$licence"
  done
} >"$out.tmp"
mv "$out.tmp" "$out"
