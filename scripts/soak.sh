#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
# Runs the end-to-end tests again and again, to find the ones that fail only
# now and then: every set-up of the Linux window (qt.e2e.*) and Orca
# (qt.orca.*), in the default and asan builds; the Windows window under Wine
# (win32.window.*); and the web page in each engine (web.page.*), as many at
# a time as scripts/test.sh runs them. Prints, per test, how often
# it ran and failed; the log of each failed run is kept in build/soak/.
# Exits with 1 if any run failed.
#
# Usage: scripts/soak.sh [--busy] [N] [PRESET...]
#   N       rounds, 10 unless given
#   PRESET  only the suites of these presets (default, asan, windows, web)
#   --busy  keeps every core busy with a loop of its own meanwhile, as
#           another job on a shared CI machine does
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
busy=false
rounds=10
only=()
for arg in "$@"; do
  case $arg in
    --busy) busy=true ;;
    default | asan | windows | web) only+=("$arg") ;;
    *[!0-9]* | "") echo "usage: scripts/soak.sh [--busy] [N] [PRESET...]" >&2; exit 2 ;;
    *) rounds=$arg ;;
  esac
done

"$root/scripts/setup.sh" test windows web
# preset and the tests of it that are soaked, as a CTest regular expression
suites=(
  "default ^qt\.(e2e|orca)\."
  "asan ^qt\.(e2e|orca)\."
  "windows ^win32\.window\."
  "web ^web\.page\."
)
if [ ${#only[@]} -ne 0 ]; then
  chosen=()
  for suite in "${suites[@]}"; do
    [[ " ${only[*]} " == *" ${suite%% *} "* ]] && chosen+=("$suite")
  done
  suites=("${chosen[@]}")
fi
for suite in "${suites[@]}"; do
  preset=${suite%% *}
  echo "== building $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" >/dev/null
done

if $busy; then
  # In a process group of its own, ended with the script.
  setsid bash -c 'for _ in $(seq "$(nproc)"); do while :; do :; done & done; wait' &
  loops=$!
  trap 'kill -- -"$loops" 2>/dev/null || true' EXIT
  echo "== $(nproc) cores kept busy"
fi

logs=$root/build/soak
rm -rf "$logs"
mkdir -p "$logs"
declare -A runs=() failures=()
names=()
for ((round = 1; round <= rounds; round++)); do
  for suite in "${suites[@]}"; do
    preset=${suite%% *}
    log=$logs/round$round-$preset.log
    status=0
    ctest --preset "$preset" -j "$(nproc)" -R "${suite#* }" >"$log" 2>&1 || status=$?
    # Each test's result line: "1/4 Test #40: qt.e2e.xvfb ....   Passed    1.99 sec"
    while read -r name result; do
      key="$preset $name"
      [ -n "${runs[$key]+set}" ] || { names+=("$key"); runs[$key]=0; failures[$key]=0; }
      runs[$key]=$((runs[$key] + 1))
      [ "$result" = Passed ] || failures[$key]=$((failures[$key] + 1))
    done < <(sed -n 's/^ *[0-9]*\/[0-9]* Test *#[0-9]*: \([^ ]*\) [ .*]*\([A-Za-z]*\).*/\1 \2/p' "$log")
    if [ "$status" -eq 0 ]; then
      rm -f "$log"
    elif ! grep -q 'tests failed out of' "$log"; then  # CTest itself failed
      echo "ctest --preset $preset failed in round $round: $log" >&2
      exit 1
    fi
  done
  echo "round $round of $rounds done"
done

printf '\n%-8s %-60s %5s %9s\n' preset test runs failures
failed=0
for key in "${names[@]}"; do
  printf '%-8s %-60s %5d %9d\n' ${key} "${runs[$key]}" "${failures[$key]}"
  failed=$((failed + failures[$key]))
done
[ "$failed" -eq 0 ] || { echo "logs of the failed runs: $logs"; exit 1; }
