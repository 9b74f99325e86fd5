#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
# Installs what is missing, then builds and runs every test this machine can
# run: the default build (unit, window and end-to-end tests), the same under
# AddressSanitizer and UndefinedBehaviorSanitizer, each fuzz target for
# LC_FUZZ_SECONDS (30 unless set), the web page under Node.js and its three
# browser engines, and on amd64 the Windows build under Wine and the arm64
# build under qemu-user; checks the format of every C++ file; builds and
# checks the Debian source package as a distribution would
# (scripts/debian-package.sh: dpkg-buildpackage, lintian, the autopkgtest);
# and builds the release twice to see that it is the same bit for bit, the
# first time with that package's binaries. What cannot run here
# is named, with the reason, one line each. Warnings are errors here. Each
# preset's tests run as many at a time as the machine has cores. Ends with
# a table of each phase's time and, for a preset, its test counts.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

skip() { echo "$1: skipped: $2"; }
# The table: a row a phase, as it ends.
phases=()
phase_start=$(date +%s)
phase_done() {  # phase_done NAME [TESTS]
  local now seconds
  now=$(date +%s)
  seconds=$((now - phase_start))
  phases+=("$(printf '| %-8s | %2dm%02ds | %s |' "$1" $((seconds / 60)) $((seconds % 60)) "${2:-}")")
  phase_start=$now
}
trap 'status=$?; printf "\n| phase    |   time | tests |\n|---|---|---|\n"; printf "%s\n" "${phases[@]}"
  [ "$status" -eq 0 ] || echo "(stopped by a failure, status $status)"' EXIT
presets=(default asan fuzz)
sections=(test debian)
machine=$(dpkg --print-architecture)
if [ "$machine" = amd64 ]; then
  presets+=(windows)
  sections+=(windows arm64)
else
  skip windows "the Windows program's tests need an x86-64 Wine, which $machine has not"
fi
"$root/scripts/setup.sh" "${sections[@]}"
# The page needs Emscripten and the browsers, which not every architecture
# has (apt knows, now that setup.sh has read its lists).
if apt-cache show emscripten chromium firefox-esr webkit2gtk-driver >/dev/null 2>&1; then
  "$root/scripts/setup.sh" test web
  presets+=(web)
else
  skip web "Debian has no Emscripten, Chromium, Firefox ESR or WebKitWebDriver for $machine"
fi
phase_done install
[ "$machine" != amd64 ] || presets+=(arm64)
# LeakSanitizer, in the sanitizers' and the fuzzers' builds, stops the
# program's threads with ptrace, which an emulator (qemu-user, as when
# another architecture's Debian runs on this machine) does not give.
if ! /usr/bin/python3 -c '
import ctypes, os
pid = os.fork()
if pid == 0:
    os._exit(0 if ctypes.CDLL(None).ptrace(0, 0, 0, 0) == 0 else 1)
raise SystemExit(os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1]))'; then
  for preset in asan fuzz; do
    skip "$preset" "LeakSanitizer needs ptrace, which this system does not give (under an emulator?)"
  done
  presets=("${presets[@]/asan/}")
  presets=("${presets[@]/fuzz/}")
fi

echo "== format"
# Every tracked C++ file as .clang-format has it. The style is clang-format
# 14's; other versions format some lines differently, so where the release
# has no clang-format-14 (Debian 13) the check is skipped.
if command -v clang-format-14 >/dev/null; then
  git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format-14 --dry-run --Werror
else
  echo "format: skipped: this system has no clang-format-14, the version the style is checked with"
fi

fuzz_seconds=${LC_FUZZ_SECONDS:-30}

for preset in "${presets[@]}"; do
  [ -n "$preset" ] || continue
  echo "== $preset"
  # The arm64 program's tests start it through qemu-user, which the kernel
  # must be told of (binfmt_misc): where it cannot be, they are skipped.
  if [ "$preset" = arm64 ] && ! reason=$("$root/scripts/binfmt-arm64.sh" 2>&1); then
    skip arm64 "$reason"
    continue
  fi
  cmake --preset "$preset" -DLC_WERROR=ON -DLC_FUZZ_SECONDS="$fuzz_seconds" >/dev/null
  cmake --build --preset "$preset"
  log=$root/build/$preset/ctest.log
  ctest --preset "$preset" -j "$(nproc)" 2>&1 | tee "$log"
  phase_done "$preset" "$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\2 run, \1 failed/p' "$log")"
done

echo "== debian"
"$root/scripts/debian-package.sh"
phase_done debian "dpkg-buildpackage, lintian, autopkgtest"

echo "== release"
LC_RELEASE_DEBS=$root/build/debian "$root/scripts/release.sh" --check
phase_done release "two builds, the same bytes"
