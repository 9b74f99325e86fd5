#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
# Runs a Windows program under Wine, the way every Windows test here runs:
# in the prefix $WINEPREFIX (made on first use, with a virtual desktop so
# that closing windows does not stall without a window manager), on a
# private X display and session (scripts/desktop.py), quietly, and never
# in the debugger. Exits with its status.
set -euo pipefail
export WINEPREFIX=${WINEPREFIX:?set WINEPREFIX to the prefix to use}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

if [ ! -f "$WINEPREFIX/.lccalc-ready" ]; then
  mkdir -p "$WINEPREFIX"
  exec 9>"$WINEPREFIX/.lock"
  flock 9
  if [ ! -f "$WINEPREFIX/.lccalc-ready" ]; then
    timeout 120 wineboot -i >/dev/null 2>&1
    # Wine's own fonts (package fonts-wine), which Debian's Wine does not
    # find by itself: the title bar's symbols and MS Sans Serif.
    ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
    timeout 60 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    timeout 60 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f >/dev/null 2>&1
    timeout 60 wineserver -w
    touch "$WINEPREFIX/.lccalc-ready"
  fi
  exec 9>&-
fi

# On a private desktop, which lives as long as this run: Wine is done with
# it once its server has ended.
exec /usr/bin/python3 "$(dirname "$0")/../../scripts/desktop.py" --screen 800x600x24 bash -c '
  status=0
  timeout "${LC_WINE_TIMEOUT:-240}" wine "$@" || status=$?
  timeout 30 wineserver -w || wineserver -k || true
  exit "$status"' wine "$@"
