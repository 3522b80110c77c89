#!/usr/bin/env bash
# Runs the Windows build's tests (build/windows, made by tools/windows/build.sh) under Wine with
# the offscreen platform. Prints the CTest summary and every skipped test with its reason; exits
# non-zero on any failure.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$here/../.." && pwd)/build/windows
source "$here/wine.sh"
export QT_QPA_PLATFORM=offscreen

[[ -f $build/CTestTestfile.cmake ]] || { echo "test.sh: run tools/windows/build.sh first" >&2; exit 2; }
prepare_wine_prefix
# One Wine server for the whole run instead of one per test program.
wineserver -p
# Wine's own services start with the first program; started here, they do not hold a test's
# output open after it ends.
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
trap 'wineserver -k 2>/dev/null || true' EXIT

log=$build/Testing/wine-tests.log
mkdir -p "$build/Testing" # ctest makes it only once it runs; a fresh build has none yet
status=0
# Every program's whole output goes to the log (each line after its test's number), so that
# the cases GoogleTest skips can be listed; the screen gets CTest's progress and summary.
ctest --test-dir "$build" -V -j2 --timeout 900 "$@" >"$log" 2>&1 || status=$?
grep -E '^ *[0-9]+/[0-9]+ Test +#' "$log" || true
sed -n '/tests passed/,$p' "$log"
# The output of each program that failed.
for number in $(sed -nE 's/^\s+([0-9]+) - .*\((Failed|Timeout|Not Run|SEGFAULT|Exception)\).*/\1/p' "$log"); do
    echo
    echo "Output of test $number:"
    grep -E "^$number: " "$log" | cut -d' ' -f2-
done

echo
echo "Skipped under Wine:"
# Whole programs, with the reason their placeholder prints, then single cases skipped by
# GoogleTest with the reason on the line after "Skipped".
find "$build" -name CTestTestfile.cmake -exec grep -h 'SKIPPED: ' {} + |
    sed -E 's/^add_test\(\[=\[([^]]*)\]=\].*SKIPPED: ([^"]*)".*/  \1 (whole program): \2/'
sed -E 's/^[0-9]+: //' "$log" |
    awk '/: Skipped$/ { getline reason; next }
         /^\[  SKIPPED \] [^ ]+ \([0-9]+ ms\)$/ { print "  " $4 ": " reason }' | sort -u
exit "$status"
