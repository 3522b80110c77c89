#!/usr/bin/env bash
# Prints how fast nconvert is, measured in one run against two references:
#  - the floor: a static program of ours that does nothing (the cost of starting a process);
#  - ImageMagick's convert turning the same .cur files into JPEG.
# Per file: the median wall time of one process per conversion (JPEG out), and the ratios.
# Then the CPU time to decode and encode a 256x256 PNG-coded cursor frame in-process.
#   bash bench/converter.sh [RUNS]        (RUNS per file, default 40)
# Inputs: the generated samples in build/release/bin/Samples, else our own test files.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-40}"
build=build/release
work="$build/bench"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target nconvert nconvert_core >/dev/null
mkdir -p "$work/fixtures" "$work/out"

libs=("$build/src/converter/libnconvert_core.a" /usr/lib/x86_64-linux-gnu/libturbojpeg.a
  /usr/lib/x86_64-linux-gnu/libpng16.a /usr/lib/x86_64-linux-gnu/libz.a -lm)

# The floor: a static program that does nothing.
printf 'int main() { return 0; }\n' > "$work/floor.cpp"
g++ -O2 -static -o "$work/floor" "$work/floor.cpp"

# The timer. "spawn RUNS [--rm PATH]... CMD1 -- CMD2 [-- CMD3]" starts the commands in turn with posix_spawn
# (no shell), RUNS rounds after one warm-up round, so that every command sees the same machine
# load, and prints each command's median wall time in microseconds. "codec RUNS FILE" prints the
# median CPU time of decoding FILE and encoding it as JPEG in-process.
cat > "$work/timer.cpp" <<'CPP'
#include "decode.h"
#include "encode.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
extern char** environ;
static double now(clockid_t clock) {
    timespec t; clock_gettime(clock, &t); return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}
static double median(std::vector<double> v) {
    std::sort(v.begin(), v.end()); return v[v.size() / 2];
}
static double runOnce(std::vector<char*>& argv, double& cpu) {
    pid_t pid; int status = 0;
    rusage usage{};
    const double start = now(CLOCK_MONOTONIC);
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    wait4(pid, &status, 0, &usage);
    const double elapsed = now(CLOCK_MONOTONIC) - start;
    cpu = usage.ru_utime.tv_sec * 1e6 + usage.ru_utime.tv_usec + usage.ru_stime.tv_sec * 1e6 +
          usage.ru_stime.tv_usec;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? elapsed : -1;
}
int main(int argc, char** argv) {
    const std::string mode = argv[1];
    const int runs = std::atoi(argv[2]);
    if (mode == "spawn") {
        // "--rm PATH" first (repeatable): removed before every run, so each run writes a new
        // file, as the window's runs do.
        std::vector<const char*> remove;
        int first = 3;
        while (first + 1 < argc && std::strcmp(argv[first], "--rm") == 0)
            remove.push_back(argv[first + 1]), first += 2;
        std::vector<std::vector<char*>> commands(1);
        for (int i = first; i < argc; ++i) {
            if (std::strcmp(argv[i], "--") == 0) { commands.back().push_back(nullptr); commands.emplace_back(); }
            else commands.back().push_back(argv[i]);
        }
        commands.back().push_back(nullptr);
        std::vector<std::vector<double>> times(commands.size()), cpus(commands.size());
        for (int round = -1; round < runs; ++round)
            for (std::size_t c = 0; c < commands.size(); ++c) {
                for (const char* path : remove) unlink(path);
                double cpu = 0;
                const double t = runOnce(commands[c], cpu);
                if (t < 0) { std::printf("failed\n"); return 1; }
                if (round >= 0) times[c].push_back(t), cpus[c].push_back(cpu);
            }
        for (auto& t : times) std::printf("%.0f ", median(t));
        for (auto& t : cpus) std::printf("%.0f ", median(t));
        std::printf("\n");
        return 0;
    }
    std::ifstream in(argv[3], std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = now(CLOCK_PROCESS_CPUTIME_ID);
        const nconv::Image image = nconv::decodeImage(bytes);
        const std::vector<std::uint8_t> jpeg = nconv::encodeJpeg(image, 85);
        times.push_back(now(CLOCK_PROCESS_CPUTIME_ID) - start);
        if (jpeg.size() < 100) return 1;
    }
    std::printf("%.0f\n", median(times));
    return 0;
}
CPP
g++ -O2 -std=c++20 -Isrc/converter -o "$work/timer" "$work/timer.cpp" "${libs[@]}"

# Our own files: always made, used when the samples are absent, and for the 256x256 frame.
g++ -O2 -std=c++20 -Itests/converter -Isrc/converter -o "$work/make_fixtures" fuzz/make_seeds.cpp "${libs[@]}"
"$work/make_fixtures" "$work/fixtures" --bench
inputs="$build/bin/Samples"
if [ -d "$inputs" ] && compgen -G "$inputs/*" >/dev/null; then
  # ImageMagick reads no animated cursors: our .cur files are where the two are compared.
  inputs=("$inputs"/* "$work/fixtures/frames1.ani" "$work/fixtures/frames500.ani"
    "$build/bin/HAND-M.CUR" "$work/fixtures"/*.cur)
  where="$build/bin/Samples, HAND-M.CUR and our .cur files (plus our 1- and 500-frame animations)"
else
  inputs=("$work/fixtures"/*)
  where="our own generated files (no samples in $build/bin/Samples)"
fi

magick=""
for candidate in /usr/bin/convert-im6.q16 /usr/bin/convert-im6 /usr/bin/convert; do
  [ -x "$candidate" ] && { magick="$candidate"; break; }
done

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load $(cut -d' ' -f1 /proc/loadavg)"
echo "inputs: $where; $runs rounds per file, each round runs the floor, nconvert and (for .cur) ImageMagick in turn; medians of wall time"
printf '%-22s %9s %11s %8s %10s %8s   %s\n' file floor_us nconvert_us x_floor magick_us faster "CPU us: floor nconvert magick"
ratios=()
for f in "${inputs[@]}"; do
  [ -f "$f" ] || continue
  name=$(basename "$f")
  ours=("$build/bin/nconvert" -q 85 -out jpeg -truecolors -o "$work/out/ours.jpg" "$f")
  case "$name" in
    *.cur|*.CUR) theirs=(-- "$magick" "$f" "$work/out/magick.jpg") ;;
    *) theirs=() ;;
  esac
  [ -n "$magick" ] || theirs=()
  line=$("$work/timer" spawn "$runs" --rm "$work/out/ours.jpg" --rm "$work/out/magick.jpg" "$work/floor" -- "${ours[@]}" "${theirs[@]}" || echo "failed failed failed failed failed failed")
  if [ ${#theirs[@]} -gt 0 ]; then
    read -r floor_us ours_us magick_us floor_cpu ours_cpu magick_cpu <<<"$line"
  else
    read -r floor_us ours_us floor_cpu ours_cpu <<<"$line"; magick_us=""; magick_cpu="-"
  fi
  ratio=$(awk -v a="$ours_us" -v b="$floor_us" 'BEGIN { printf "%.2f", a / b }')
  ratios+=("$ratio")
  speedup="-"
  [ -n "${magick_us:-}" ] && speedup=$(awk -v a="$magick_us" -v b="$ours_us" 'BEGIN { printf "%.1fx", a / b }')
  printf '%-22s %9s %11s %8s %10s %8s   %s %s %s\n' "$name" "$floor_us" "$ours_us" "$ratio" "${magick_us:--}" "$speedup" "$floor_cpu" "$ours_cpu" "$magick_cpu"
done
echo "median nconvert/floor ratio over these files: $(printf '%s\n' "${ratios[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')"
cpu=$("$work/timer" codec 200 "$work/fixtures/png256.cur")
echo "decode + JPEG encode of a 256x256 PNG-coded cursor frame: ${cpu} us CPU (median of 200)"
