#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
# Installs what is missing (the reference programs too), builds, and prints
# the benchmark tables: the conversions beside the C library, start-up time
# and memory beside Qt's floor, galculator, xcalc and xlogo on a private
# Xvfb, the time a click takes to be drawn, what a huge paste into the
# frequency box costs, what a key costs there as its text grows in the
# Windows window (under Wine) and on the web page (in Chromium), and how
# soon the web page shows its window and a first result, and Lighthouse's
# audit of the page.
# RUNS sets the start-up runs per program (20 unless set; 12 page loads).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh" test bench windows web
cmake --preset default >/dev/null
cmake --build --preset default --target lc_conversions_bench lc_startup_bench lc_paste_bench lc_floor lccalc

echo "== Conversions (ns per operation; speed-up over the C library)"
build/default/calc/bench/lc_conversions_bench --benchmark_min_time=0.5

echo
echo "== Start-up and memory on $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
# A private display and session bus, as on a desktop; GTK's accessibility
# bridge stays off, as Qt's does until a screen reader asks for it.
# "floor" is Qt's own: a bare QApplication showing one QLabel of the same
# size. --click then times a click of OK in lccalc.
NO_AT_BRIDGE=1 scripts/desktop.py --screen 1280x800x24 build/default/qt/bench/lc_startup_bench \
  --runs "${RUNS:-20}" --click \
  lccalc="$root/build/default/qt/lccalc" floor="$root/build/default/qt/bench/lc_floor" \
  galculator=galculator xcalc=xcalc xlogo=xlogo 2>&1 |
  grep -v -e '^dbus-daemon' -e 'SpiRegistry'

echo
echo "== A paste of 1 and 10 MB into the frequency box (median ms a key; idle CPU over 3 s)"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 scripts/desktop.py build/default/qt/bench/lc_paste_bench 1 10 2>&1 |
  grep -v -e '^dbus-daemon' -e 'SpiRegistry' -e 'XDG_RUNTIME_DIR'

echo
echo "== A key in the frequency box as its text grows: Windows under Wine (best of 5)"
cmake --preset windows >/dev/null
cmake --build --preset windows --target lc_win32_key_bench
WINEPREFIX="$root/build/windows/wine" win32/wine/run.sh build/windows/win32/bench/lc_win32_key_bench.exe

echo
echo "== The same on the web page in headless Chromium (best of 5, until the next frame)"
cmake --preset web >/dev/null
cmake --build --preset web
node web/bench/key_bench.mjs build/web/site

echo
echo "== The web page's start beside a plain page with the same elements (headless Chromium, cache off)"
node web/bench/start_bench.mjs build/web/site

echo
echo "== Lighthouse's audit of the page (its mobile settings, headless Chromium)"
if [ ! web/bench/node_modules/.package-lock.json -nt web/bench/package-lock.json ]; then
  (cd web/bench && npm ci --no-audit --no-fund)
fi
node web/bench/lighthouse_bench.mjs build/web/site
