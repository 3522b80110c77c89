#!/usr/bin/env bash
# Kills nconvert with SIGKILL while it writes a ~26 MB BMP and counts the files left behind in the
# output folder. Each run is killed once the converter has written a given share of the file (read
# from /proc/PID/io), spread from 4% to 96% over the runs.
#   bash bench/killwrite.sh [RUNS] [NCONVERT]     (RUNS default 40; NCONVERT default: Release build)
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-40}"
build=build/release
work="$build/killwrite"
nconvert="${2:-$build/bin/nconvert}"

if [ $# -lt 2 ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j2 --target nconvert >/dev/null
fi
mkdir -p "$work/out"

# The source: a 2950x2950 24-bit BMP from the test builders; its BMP output is 26.1 MB.
cat > "$work/make_big.cpp" <<'CPP'
#include "fixtures.h"
#include <fstream>
int main(int, char** argv) {
    const testimg::Buf b = testimg::bmpFile(testimg::trueColour(2950, 24));
    std::ofstream(argv[1], std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
}
CPP
g++ -O2 -std=c++20 -Itests/converter -o "$work/make_big" "$work/make_big.cpp" -lz
[ -f "$work/big.bmp" ] || "$work/make_big" "$work/big.bmp"

# The killer: runs nconvert RUNS times, SIGKILLs it once its write_bytes passes the run's mark,
# then counts and clears what the output folder holds.
cat > "$work/killer.cpp" <<'CPP'
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
static long long writeBytes(pid_t pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/io", pid);
    FILE* f = std::fopen(path, "r");
    if (!f) return -1;
    char key[64]; long long value = 0, found = -1;
    while (std::fscanf(f, "%63s %lld", key, &value) == 2)
        if (std::string(key) == "write_bytes:") found = value;
    std::fclose(f);
    return found;
}
int main(int argc, char** argv) {
    const int runs = std::atoi(argv[1]);
    const std::string outDir = argv[2];
    const long long total = std::atoll(argv[3]);
    int killed = 0, finished = 0, left = 0, whole = 0;
    for (int run = 0; run < runs; ++run) {
        const long long mark = total * (4 + 92 * run / (runs > 1 ? runs - 1 : 1)) / 100;
        pid_t pid;
        if (posix_spawn(&pid, argv[4], nullptr, nullptr, argv + 4, environ) != 0) return 1;
        int status = 0;
        bool sent = false;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (!sent && writeBytes(pid) >= mark) { kill(pid, SIGKILL); sent = true; }
        }
        const bool wasKilled = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
        wasKilled ? ++killed : ++finished;
        DIR* d = opendir(outDir.c_str());
        while (dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            if (!wasKilled && name == "big.bmp") { ++whole; unlink((outDir + "/" + name).c_str()); continue; }
            ++left;
            std::printf("  run %d (killed at %lld bytes) left: %s\n", run + 1, mark, name.c_str());
            unlink((outDir + "/" + name).c_str());
        }
        closedir(d);
    }
    std::printf("runs: %d, killed while writing: %d, finished before the kill: %d\n", runs, killed, finished);
    std::printf("files left in the output folder by killed runs: %d (finished runs wrote %d whole outputs)\n", left, whole);
}
CPP
g++ -O2 -std=c++20 -o "$work/killer" "$work/killer.cpp"

rm -f "$work/out"/* "$work/out"/.[!.]* 2>/dev/null || true
total=$(( $(stat -c %s "$work/big.bmp") ))
echo "nconvert: $nconvert; output folder: $work/out ($(stat -f -c %T "$work/out")); load $(cut -d' ' -f1 /proc/loadavg)"
"$work/killer" "$runs" "$work/out" "$total" "$nconvert" -out bmp -o "$work/out/big.bmp" "$work/big.bmp"
