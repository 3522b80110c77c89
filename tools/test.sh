#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer (the
# benchmark drivers too), runs every test, then every benchmark once with a tiny count.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCORVENDA_SANITIZE=ON -DCORVENDA_BENCH=ON
cmake --build build/test
(
  export QT_QPA_PLATFORM=offscreen
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  ctest --test-dir build/test --output-on-failure -j2
)
# The benchmarks measure a Release build (build/release); here they only have to build and run.
QT_QPA_PLATFORM=offscreen bash bench/smoke.sh
