#!/usr/bin/env bash
# Fuzzes the decoder for SECONDS seconds (default 60) on one core (one libFuzzer process).
#   bash fuzz/run.sh 1800
# Builds with clang, libFuzzer, ASan and UBSan in build/fuzz; seeds the corpus (build/fuzz/corpus)
# with our own generated test files, plus the generated samples when a build has made them.
# Crashes, hangs (over 30 s) and out-of-memory inputs are written to build/fuzz/crashes/;
# replay one with
#   build/fuzz/bin/decode_replay build/fuzz/crashes/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
# The release's own clang and the sanitizer and libFuzzer runtimes that go with it.
bash tools/deps.sh clang libclang-rt-dev
build=build/fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCORVENDA_FUZZ=ON -DCORVENDA_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target decode_fuzzer decode_replay make_seeds
mkdir -p "$build/corpus" "$build/seeds" "$build/crashes"
"$build/bin/make_seeds" "$build/seeds"
for samples in build/bin/Samples build/release/bin/Samples build/dev/bin/Samples build/test/bin/Samples; do
  [ -d "$samples" ] && cp -n "$samples"/* "$build/seeds/" 2>/dev/null || true
done
exec "$build/bin/decode_fuzzer" -max_total_time="$seconds" \
  -max_len=300000 -timeout=30 -rss_limit_mb=2048 -malloc_limit_mb=1024 -print_final_stats=1 \
  -artifact_prefix="$build/crashes/" "$build/corpus" "$build/seeds"
