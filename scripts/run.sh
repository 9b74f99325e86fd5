#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
# Installs what is missing, builds the window and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
cmake --preset default >/dev/null
cmake --build --preset default --target lccalc
exec "$root/build/default/qt/lccalc" "$@"
