#!/usr/bin/env bash
# Fails when a library a program carries is missing from the licence notices: every archive and
# start-up object the program's link map names outside the build tree (with its Debian source
# package and version, where dpkg knows the file), and every DLL in a shipped program folder.
#   notices_check.sh NOTICES BUILD_TREE [MAP...] [--folder FOLDER]
set -euo pipefail
notices=$1
tree=$(realpath "$2")
shift 2
maps=()
folder=
while (($#)); do
  case $1 in
    --folder) folder=$2; shift 2 ;;
    *) maps+=("$1"); shift ;;
  esac
done
# The file names of the "in:" lines (and their continuations) of the list in section 1.
listed=$(sed -n '/^1\. /,/^[2-9]\. /p' "$notices" |
  sed -n 's/^  in: //p; s/^      \([^ ].*\)/\1/p' | tr ' ' '\n' | sed '/^$/d' | sort -u)
missing=0
miss() {
  echo "missing from $notices: $*"
  missing=1
}
carried=()
for map in "${maps[@]}"; do
  while read -r path; do
    case $(realpath -m "$path") in "$tree"/*) continue ;; esac
    carried+=("$path")
  done < <(grep -oE '(^|[[:space:]])/[^[:space:]():<>]+\.(a|o|obj)(\(|:|$|[[:space:]])' "$map" |
    sed -E 's/^[[:space:]]+//; s/[(:[:space:]]$//' | sort -u)
done
if [[ -n $folder ]]; then
  while read -r dll; do carried+=("$dll"); done < <(find "$folder" -iname '*.dll' | sort)
fi
((${#carried[@]})) || { echo "nothing carried was found: the map or folder is wrong"; exit 1; }
for path in "${carried[@]}"; do
  name=$(basename "$path")
  grep -qxF "$name" <<<"$listed" || miss "$name ($path)"
  if owner=$(dpkg -S "$(realpath -m "$path")" 2>/dev/null); then
    source=$(dpkg-query -W -f='${source:Package} ${source:Version}' "${owner%%: *}")
    grep -qF "(Debian source package ${source% *}, version ${source#* })" "$notices" ||
      miss "the source package $source of $name"
  fi
done
echo "${#carried[@]} files carried; notices: $notices"
exit "$missing"
