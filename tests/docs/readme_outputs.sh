#!/usr/bin/env bash
# Every output format `nconvert --help` lists is described in the README: as `-out VALUE`, or
# among the alternatives of an `-out a|b|c` usage line.
#   readme_outputs.sh NCONVERT README
set -euo pipefail
nconvert=$1
readme=$2
# The help's -out entry, up to the next option; its clauses (split at ";") name the values
# before their ":", as in "jpeg (or jpg), png or bmp: ...; gif or webp: ...".
entry=$("$nconvert" --help | awk '/^  -out /{on = 1; sub(/^  -out FORMAT/, ""); print; next}
  on && /^  -/{exit} on')
mapfile -t values < <(printf '%s\n' "$entry" | tr '\n' ' ' | tr ';' '\n' | sed 's/:.*//' |
  grep -oE '[a-z0-9]+' | grep -vxE 'or|and' | sort -u)
if ((${#values[@]} == 0)); then
  echo "no -out values found in nconvert --help:"
  "$nconvert" --help
  exit 1
fi
declare -A described=()
while read -r value; do
  described[$value]=1
done < <(grep -oE -- '-out [a-z0-9|]+' "$readme" | sed 's/^-out //' | tr '|' '\n')
missing=()
for value in "${values[@]}"; do
  [[ -n ${described[$value]:-} ]] || missing+=("$value")
done
echo "nconvert --help lists: ${values[*]}"
if ((${#missing[@]})); then
  echo "README.md does not describe -out ${missing[*]}"
  exit 1
fi
echo "README.md describes each of them"
