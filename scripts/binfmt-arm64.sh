#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
# Makes this machine's kernel start 64-bit ARM programs through qemu-user
# (binfmt_misc), as the arm64 build's tests need: their scripts start the
# program as any user would, by its path. Registers qemu-user-static's own
# entry where it is missing (as root), then starts PROGRAM ARGS..., if
# given, to see that it runs. Exits 0 when all is well; otherwise says why
# in one line and exits 1.
#
# Usage: scripts/binfmt-arm64.sh [PROGRAM [ARGS...]]
set -uo pipefail
binfmt=/proc/sys/fs/binfmt_misc
entry=/usr/lib/binfmt.d/qemu-aarch64.conf  # qemu-user-static's, with the F flag
fail() { echo "arm64 programs cannot run here: $*" >&2; exit 1; }

if [ ! -e "$binfmt/status" ]; then
  [ "$(id -u)" -eq 0 ] || fail "binfmt_misc is not mounted at $binfmt, and mounting it needs root"
  mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null ||
    fail "binfmt_misc cannot be mounted at $binfmt (a container without it?)"
fi
if [ ! -e "$binfmt/qemu-aarch64" ]; then
  [ -r "$entry" ] || fail "$entry is missing (the package qemu-user-static)"
  [ "$(id -u)" -eq 0 ] || fail "qemu-aarch64 is not registered with binfmt_misc, and registering it needs root"
  grep -v '^#' "$entry" >"$binfmt/register" 2>/dev/null ||
    fail "the kernel refused to register qemu-aarch64 with binfmt_misc"
fi
[ "$(cat "$binfmt/qemu-aarch64")" != disabled ] || fail "qemu-aarch64 is registered but disabled"
[ $# -eq 0 ] || output=$("$@" 2>&1) || fail "$1 did not run: ${output:0:200}"
