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
status=0
ctest --test-dir "$build" --output-on-failure -j2 --timeout 900 -O "$log" "$@" || status=$?

echo
echo "Skipped under Wine:"
# Whole programs, with the reason their placeholder prints, then single cases skipped by
# GoogleTest with the reason on the line after "Skipped".
find "$build" -name CTestTestfile.cmake -exec grep -h 'SKIPPED: ' {} + |
    sed -E 's/^add_test\(\[=\[([^]]*)\]=\].*SKIPPED: ([^"]*)".*/  \1 (whole program): \2/'
awk '/: Skipped$/ { getline reason; next }
     /^\[  SKIPPED \] [^ ]+ \([0-9]+ ms\)$/ { print "  " $4 ": " reason }' "$log" | sort -u
exit "$status"
