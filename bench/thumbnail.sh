#!/usr/bin/env bash
# Prints how the file-manager previews of our thumbnailer compare with the desktop's own
# previewer (gdk-pixbuf-thumbnailer) over 72 animated cursors of every kind our generator draws.
# Our thumbnailer runs exactly as a file manager runs it: the Exec line of the installed
# corvenda.thumbnailer with %s, %i and %o filled in. Every preview is checked: a PNG of the size
# the frame fits 128 x 128 with. Times are medians of wall time per file, one process per preview,
# against the floor: a static program that does nothing (the cost of starting a process).
#   bash bench/thumbnail.sh [RUNS] [BUILD_DIR]   (RUNS per file, default 40; build/release)
# Fewer rounds leave the per-file medians of a start-up this short (1 to 3 ms) noisy by 10% or more.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-40}"
size=128
build=${2:-build/release}
work=$(realpath -m "$build/thumbnail-bench")

# Installed into a folder of its own, outside /usr: the thumbnailer must be asked for.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVENDA_INSTALL_THUMBNAILER=ON >/dev/null
# What an installation holds, and the generator; the tests are not needed here.
cmake --build "$build" -j2 --target corvenda nconvert samplegen corvenda_samples corvenda_icons \
  corvenda_docs corvenda_notices >/dev/null
rm -rf "$work"
mkdir -p "$work/out"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
"$build/samples/samplegen" gallery "$work/gallery"
command -v gdk-pixbuf-thumbnailer >/dev/null || {
  echo "gdk-pixbuf-thumbnailer is missing (tools/deps.sh installs libgdk-pixbuf2.0-bin)"
  exit 1
}

printf 'int main() { return 0; }\n' >"$work/floor.cpp"
g++ -O2 -static -o "$work/floor" "$work/floor.cpp"
# The same program linked as most programs are, against the shared C library.
g++ -O2 -o "$work/floor-shared" "$work/floor.cpp"
# "timer RUNS CMD1 ::: CMD2 ::: CMD3" (not "--", which the thumbnailer's line holds): starts the
# commands in turn with posix_spawn (no shell), RUNS rounds after a warm-up round, so all see the
# same machine load; prints each command's median wall time in microseconds and its exit status,
# or "-1" for one that failed. A command may start with "rm=PATH": PATH is removed before each
# start, untimed, since a file manager always names a new file for the preview.
cat >"$work/timer.cpp" <<'CPP'
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
extern char** environ;
int main(int argc, char** argv) {
    const int runs = std::atoi(argv[1]);
    std::vector<std::vector<char*>> commands(1);
    std::vector<const char*> removed(1, nullptr);
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], ":::") == 0) { commands.back().push_back(nullptr); commands.emplace_back(); removed.push_back(nullptr); }
        else if (commands.back().empty() && std::strncmp(argv[i], "rm=", 3) == 0) removed.back() = argv[i] + 3;
        else commands.back().push_back(argv[i]);
    }
    commands.back().push_back(nullptr);
    std::vector<std::vector<double>> times(commands.size());
    std::vector<int> status(commands.size(), 0);
    for (int round = -1; round < runs; ++round)
        for (std::size_t c = 0; c < commands.size(); ++c) {
            timespec a, b;
            pid_t pid;
            int s = 0;
            if (removed[c]) unlink(removed[c]);
            clock_gettime(CLOCK_MONOTONIC, &a);
            if (posix_spawn(&pid, commands[c][0], nullptr, nullptr, commands[c].data(), environ) != 0) { status[c] = -1; continue; }
            waitpid(pid, &s, 0);
            clock_gettime(CLOCK_MONOTONIC, &b);
            if (!WIFEXITED(s) || WEXITSTATUS(s) != 0) status[c] = -1;
            if (round >= 0) times[c].push_back((b.tv_sec - a.tv_sec) * 1e6 + (b.tv_nsec - a.tv_nsec) / 1e3);
        }
    for (std::size_t c = 0; c < commands.size(); ++c) {
        std::sort(times[c].begin(), times[c].end());
        std::printf("%.0f %d ", times[c].empty() ? 0.0 : times[c][times[c].size() / 2], status[c]);
    }
    std::printf("\n");
}
CPP
g++ -O2 -o "$work/timer" "$work/timer.cpp"

converter=$work/prefix/libexec/corvenda/nconvert
# A converter linked against shared libraries (as a distribution package builds it) pays for
# loading them before any work: an empty program linked the same way shows that share (it
# carries its own C++ library, as the converter does unless it names libstdc++ among them).
mapfile -t needed < <(readelf -d "$converter" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
linked=()
if [ ${#needed[@]} -gt 0 ]; then
  libs=()
  for lib in "${needed[@]}"; do
    case $lib in libc.so.* | ld-linux*) ;; *) libs+=("-l:$lib") ;; esac
  done
  flags=(-O2 -static-libstdc++ -static-libgcc -Wl,--no-as-needed)
  readelf -d "$converter" | grep -q 'FLAGS.*NOW' && flags+=(-Wl,-z,now)
  g++ "${flags[@]}" -o "$work/floor-linked" "$work/floor.cpp" "${libs[@]}"
  linked=(::: "$work/floor-linked")
fi

thumbnailer=$work/prefix/share/thumbnailers/corvenda.thumbnailer
exec_line=$(sed -n 's/^Exec=//p' "$thumbnailer")
read -ra words <<<"$exec_line"
gdk=$(command -v gdk-pixbuf-thumbnailer)
# The Exec line for input $1 and output $2, into the array "command".
exec_command() {
  command=()
  for word in "${words[@]}"; do
    case $word in
      %s) command+=("$size") ;;
      %i) command+=("$1") ;;
      %o) command+=("$2") ;;
      *) command+=("$word") ;;
    esac
  done
}

# $1 / $2 to two places.
over() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# The size a frame of W x H gets in the box: a whole multiple when it fits, else shrunk to fit.
fit() {
  local w=$1 h=$2 long=$(($1 > $2 ? $1 : $2)) k
  if [ "$long" -le "$size" ]; then
    k=$((size / long))
    [ "$k" -ge 2 ] || k=1
    echo "$((w * k)) $((h * k))"
  else
    echo "$(((w * size + long / 2) / long)) $(((h * size + long / 2) / long))"
  fi
}

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load $(cut -d' ' -f1 /proc/loadavg)"
echo "thumbnailer: $exec_line"
echo "inputs: $(wc -l <"$work/gallery/sizes.txt") animated cursors from 'samplegen gallery'; size $size; $runs rounds per file"
printf '%-14s %9s %9s %8s %9s  %s\n' file floor_us ours_us x_floor gdk_us "ours / gdk-pixbuf result"
ours_ok=0 gdk_ok=0 total=0
ratios=() shared_ratios=() linked_ratios=() ours_times=() gdk_times=() floor_times=() gdk_failed=()
while read -r name w h; do
  total=$((total + 1))
  src=$work/gallery/$name
  ours_out=$work/out/${name%.ani}.png
  gdk_out=$work/out/${name%.ani}.gdk.png
  exec_command "$src" "$ours_out"
  read -r floor_us _ ours_us ours_status gdk_us gdk_status shared_us _ linked_us _ < <("$work/timer" \
    "$runs" "$work/floor" ::: "rm=$ours_out" "${command[@]}" ::: "rm=$gdk_out" "$gdk" -s "$size" \
    "$src" "$gdk_out" ::: "$work/floor-shared" "${linked[@]}" 2>/dev/null)
  want="PNG $(fit "$w" "$h")"
  got=$(identify -format '%m %w %h' "$ours_out" 2>/dev/null || echo none)
  ours_result="wrong ($got, want $want)"
  if [ "$ours_status" = 0 ] && [ "$got" = "$want" ]; then
    ours_result=ok
    ours_ok=$((ours_ok + 1))
  fi
  gdk_result=failed
  if [ "$gdk_status" = 0 ] && identify "$gdk_out" >/dev/null 2>&1; then
    gdk_result=ok
    gdk_ok=$((gdk_ok + 1))
    gdk_times+=("$gdk_us")
  else
    gdk_failed+=("$name")
  fi
  ratio=$(over "$ours_us" "$floor_us")
  ratios+=("$ratio") ours_times+=("$ours_us") floor_times+=("$floor_us")
  shared_ratios+=("$(over "$ours_us" "$shared_us")")
  [ ${#linked[@]} -eq 0 ] || linked_ratios+=("$(over "$ours_us" "$linked_us")")
  printf '%-14s %9s %9s %8s %9s  %s / %s\n' "$name" "$floor_us" "$ours_us" "$ratio" "$gdk_us" "$ours_result" "$gdk_result"
done <"$work/gallery/sizes.txt"

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR ? v[int((NR + 1) / 2)] : "-") }'; }
echo "previews written correctly: ours $ours_ok of $total, gdk-pixbuf-thumbnailer $gdk_ok of $total"
[ ${#gdk_failed[@]} -eq 0 ] || echo "gdk-pixbuf-thumbnailer failed on: ${gdk_failed[*]}"
echo "median per file: floor $(median "${floor_times[@]}") us, ours $(median "${ours_times[@]}") us, gdk-pixbuf-thumbnailer $(median "${gdk_times[@]}") us (files it previewed)"
# "median M, worst W; under 2x on N of T files" for the ratios given.
summary() {
  echo "median $(median "$@"), worst $(printf '%s\n' "$@" | sort -n | tail -1);" \
    "under 2x on $(printf '%s\n' "$@" | awk '$1 < 2' | wc -l) of $total files"
}
echo "ours / floor (an empty program linked statically): $(summary "${ratios[@]}")"
echo "ours / an empty program linked against the shared C library, as nearly every program on" \
  "the system is: $(summary "${shared_ratios[@]}")"
if [ ${#linked[@]} -gt 0 ]; then
  echo "ours / an empty program linked against the converter's ${needed[*]}:" \
    "$(summary "${linked_ratios[@]}")"
fi
# Each fresh page a process touches is a trap, which on a virtual machine costs microseconds.
read -r big _ < <(awk '{ print $1, $2 * $3 }' "$work/gallery/sizes.txt" | sort -k2,2n | tail -1)
exec_command "$work/gallery/$big" "$work/out/faults.png"
faults() { /usr/bin/time -f %R "$@" 2>&1 >/dev/null | tail -1; }
echo "minor page faults: a preview of $big $(faults "${command[@]}"), the empty program $(faults "$work/floor")"
