#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
# Counts the non-blank lines of the tracked code (C++, Python, JavaScript,
# shell, CMake, HTML, CSS and the other build files; not prose, data,
# images or lock files) and says how many are tests': those in a folder
# named test, e2e, testing or fuzz.
#
# Usage: scripts/line-count.sh [REVISION]   (the work tree unless given)
set -euo pipefail
cd "$(dirname "$0")/.."
code='\.(cpp|h|py|mjs|js|sh|cmake|html|css|in|rc)$|(^|/)(CMakeLists\.txt|run)$'
tests='(^|/)(test|e2e|testing|fuzz)/'
if [ $# -eq 0 ]; then
  files() { git ls-files | grep -E "$code"; }
  lines() { grep -cve '^[[:space:]]*$' -- "$@" | awk -F: '{ n += $NF } END { print n + 0 }'; }
else
  files() { git ls-tree -r --name-only "$1" | grep -E "$code"; }
  lines() { for f in "$@"; do git show "$rev:$f"; done | grep -cve '^[[:space:]]*$'; }
  rev=$1
fi
mapfile -t all < <(files "${rev:-}")
mapfile -t test < <(printf '%s\n' "${all[@]}" | grep -E "$tests")
total=$(lines "${all[@]}")
tested=$(lines "${test[@]}")
echo "tests: $tested of $total non-blank lines ($((100 * tested / total))%); product and tooling: $((total - tested))"
