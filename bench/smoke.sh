#!/usr/bin/env bash
# Runs every bench once with a tiny count, so a bench that no longer builds or runs is noticed
# (tools/test.sh calls it; bench/theme.sh runs once as a test of its own). The figures are
# printed and mean nothing at these counts; nothing about them is checked. Exits non-zero when
# any bench fails.
#   bash bench/smoke.sh
set -uo pipefail
cd "$(dirname "$0")/.."
failed=()
smoke() {
  echo "== bash $*"
  local start=$SECONDS
  if bash "$@"; then
    echo "-- ($((SECONDS - start)) s)"
  else
    echo "-- FAILED: bash $*"
    failed+=("$*")
  fi
}
smoke bench/converter.sh 1
smoke bench/killwrite.sh 2
smoke bench/animation.sh 1 build/release 3
smoke bench/thumbnail.sh 1
smoke bench/walk.sh 0
smoke bench/run.sh 20
# Enough files that the run is still going when Stop is pressed, half a second in.
smoke bench/stop.sh 1000 1
if ((${#failed[@]})); then
  printf 'bench/smoke.sh: failed: %s\n' "${failed[@]}"
  exit 1
fi
echo "bench/smoke.sh: every bench ran"
