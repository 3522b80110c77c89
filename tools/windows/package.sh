#!/usr/bin/env bash
# Zips the Windows program folder (build/windows/bin, made by tools/windows/build.sh) into
# build/windows/Corvenda-windows-x64.zip: unzipped anywhere, it is an installation.
set -euo pipefail
source "$(dirname "$0")/programfolder.sh"
zip=$(dirname "$program_bin")/Corvenda-windows-x64.zip
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
copy_program_folder "$staging/Corvenda"
bash "$(dirname "$0")/../../tests/docs/notices_check.sh" "$staging/Corvenda/THIRD-PARTY-NOTICES.txt" \
  "$(dirname "$program_bin")" --folder "$staging/Corvenda"
rm -f "$zip"
(cd "$staging" && zip -qr9 "$zip" Corvenda)
echo "$zip"
unzip -l "$zip" | tail -1
