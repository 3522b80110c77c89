#!/usr/bin/env bash
# Converts every generated sample and test file, whole and cut short at the points the generator
# lists, with the Linux nconvert and with build/windows/bin/nconvert.exe under Wine (-out png).
# Compares the pixels of what both write, their exit status and the reason of each refusal, and
# the preview files (-size 128 -uncompressed) byte for byte.
# Usage: tools/windows/compare.sh [LINUX_BUILD_DIR]   (default build/test, made by tools/test.sh)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
linuxBuild=$(realpath "${1:-$repo/build/test}")
linux=$linuxBuild/bin/nconvert
samplegen=$linuxBuild/samples/samplegen
windows=$repo/build/windows/bin/nconvert.exe
for program in "$linux" "$samplegen" "$windows"; do
    [[ -x $program || -f $program ]] || { echo "compare.sh: $program is missing" >&2; exit 2; }
done
source "$here/wine.sh"
prepare_wine_prefix
wineserver -p
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT

"$samplegen" samples "$work/prog" "$work/expected" >/dev/null
"$samplegen" testfiles "$work/files" >/dev/null
mkdir -p "$work/in" "$work/linux" "$work/windows"
cp "$work"/prog/Samples/*.ani "$work/in/"
while read -r name _ _ _ _ cuts; do
    cp "$work/files/$name" "$work/in/"
    for cut in ${cuts//,/ }; do
        head -c "$cut" "$work/files/$name" >"$work/in/$name.cut$cut"
    done
done <"$work/files/manifest.txt"
printf 'not an image\n' >"$work/in/text.ani"
: >"$work/in/empty.cur"

# The reason of a one-line refusal, without the program and source names that differ (and the
# carriage return the Windows C runtime writes before the line feed).
reason() { tr -d '\r' <"$1" | sed -n '1s/^nconvert: .*'"$2"': //p'; }

same=0 refusedAlike=0 differ=0
for source in "$work"/in/*; do
    name=$(basename "$source")
    lrc=0 wrc=0
    "$linux" -out png -o "$work/linux/$name.png" "$source" 2>"$work/linux/$name.err" || lrc=$?
    wine "$windows" -out png -o "Z:$work/windows/$name.png" "Z:$source" \
        2>"$work/windows/$name.err" || wrc=$?
    if [[ $lrc != "$wrc" ]]; then
        echo "DIFFER $name: exit $lrc on Linux, $wrc under Wine"
        differ=$((differ + 1))
    elif [[ $lrc == 0 ]]; then
        # Decoded and written again by one program: equal files mean equal pixels.
        "$linux" -out png -o "$work/linux/$name.again.png" "$work/linux/$name.png"
        "$linux" -out png -o "$work/windows/$name.again.png" "$work/windows/$name.png"
        # The preview a file manager asks for is stored, not compressed: the same bytes.
        "$linux" -size 128 -out png -uncompressed -o "$work/linux/$name.preview.png" "$source"
        wine "$windows" -size 128 -out png -uncompressed -o "Z:$work/windows/$name.preview.png" \
            "Z:$source"
        if ! cmp -s "$work/linux/$name.again.png" "$work/windows/$name.again.png"; then
            echo "DIFFER $name: the pixels differ"
            differ=$((differ + 1))
        elif ! cmp -s "$work/linux/$name.preview.png" "$work/windows/$name.preview.png"; then
            echo "DIFFER $name: the 128 x 128 previews differ"
            differ=$((differ + 1))
        else
            same=$((same + 1))
        fi
    else
        lines=$(wc -l <"$work/windows/$name.err")
        lr=$(reason "$work/linux/$name.err" "$name")
        wr=$(reason "$work/windows/$name.err" "$name")
        if [[ $wrc == 1 && $lines == 1 && -n $wr && $lr == "$wr" ]]; then
            refusedAlike=$((refusedAlike + 1))
        else
            echo "DIFFER $name: Linux says \"$lr\", Wine says ($lines lines) \"$wr\""
            differ=$((differ + 1))
        fi
    fi
done
echo "$same converted to the same pixels (and the same preview file), $refusedAlike refused alike (exit 1, one line, same reason), $differ differ"
((differ == 0))
