#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
# Installs what the window needs and is missing (nothing of the tests'),
# builds the window and starts it, passing on the arguments.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
cmake --preset window >/dev/null
cmake --build --preset window --target lccalc
exec "$root/build/window/qt/lccalc" "$@"
