#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
# Installs what is missing, then builds and runs every test: the default
# build (unit, window and end-to-end tests), the same under AddressSanitizer
# and UndefinedBehaviorSanitizer, each fuzz target for LC_FUZZ_SECONDS (30
# unless set), the Windows build under Wine, and the web page under Node.js
# and headless Chromium; checks the format of every C++ file; and builds the
# release twice to see that it is the same bit for bit. Warnings are errors
# here.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"

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
# The page's test drives Chromium with puppeteer-core, from npm.
if [ ! web/test/node_modules/.package-lock.json -nt web/test/package-lock.json ]; then
  (cd web/test && npm ci --no-audit --no-fund)
fi

for preset in default asan fuzz windows web; do
  echo "== $preset"
  cmake --preset "$preset" -DLC_WERROR=ON -DLC_FUZZ_SECONDS="$fuzz_seconds" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

echo "== release"
"$root/scripts/release.sh" --check
