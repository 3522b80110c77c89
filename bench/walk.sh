#!/usr/bin/env bash
# Times "Add All ANI File(s) In Folder" on 100,000 files in 10,010 folders (a tenth .ani), once with
# "ani" and once with "*", next to `find` on the same tree as the floor. Prints the seconds to fill
# the list, the processor time of the whole run and its peak memory. On a shared machine the
# processor time is the steadier figure.
#   bash bench/walk.sh [LEAVES]   (LEAVES: folders under each of the 100 second-level folders,
#                                  default 99; 0 gives a tree of 1,000 files)
set -euo pipefail
cd "$(dirname "$0")/.."
leaves=${1:-99}
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVENDA_TESTS=OFF -DCORVENDA_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target walkbench >/dev/null
driver="$build/bin/walkbench"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree="$work/tree"
"$driver" make "$tree" "$leaves"
find "$tree" -type f >/dev/null # the same warm cache for every run

# Seconds and processor seconds (user + system) of a command, from GNU time.
timed() {
    /usr/bin/time -f '%e %U %S %M' -o "$work/time.txt" "$@"
}

timed sh -c "find '$tree' -type f | wc -l >'$work/count.txt'"
read -r floor fuser fsys _ <"$work/time.txt"
fcpu=$(awk -v u="$fuser" -v s="$fsys" 'BEGIN { print u + s }')
printf 'find floor: %d files in %.3f s (processor %.3f s)\n' "$(cat "$work/count.txt")" "$floor" "$fcpu"

for ext in ani '*'; do
    timed "$driver" run "$tree" "$ext" 2>/dev/null | tee "$work/out.txt"
    read -r _ user sys peak <"$work/time.txt"
    seconds=$(sed -n 's/.*seconds \([0-9.]*\).*/\1/p' "$work/out.txt")
    awk -v s="$seconds" -v f="$floor" -v u="$user" -v y="$sys" -v fc="$fcpu" -v p="$peak" 'BEGIN {
        printf "  %.1fx the find floor; whole run: processor %.2f s (%.1fx find), peak memory %.1f MB\n",
            s / f, u + y, (u + y) / fc, p / 1024 }'
done
