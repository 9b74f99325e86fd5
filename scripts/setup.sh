#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
# Installs the packages of debian-packages.txt that are not installed yet:
# those before its "[bench]" line, and with the argument "bench" those after
# it too, and generates the ru_RU.UTF-8 locale the tests use. Does nothing,
# quickly, when all is there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" = bench ]; then
  mapfile -t wanted < <(sed -e 's/#.*//' -e '/^\[bench\]/d' -e '/^[[:space:]]*$/d' "$root/debian-packages.txt")
else
  mapfile -t wanted < <(sed -e '/^\[bench\]/,$d' -e 's/#.*//' -e '/^[[:space:]]*$/d' "$root/debian-packages.txt")
fi
# The tests run in a Russian locale too; glibc needs it generated.
ensure_locale() {
  locale -a 2>/dev/null | grep -qx 'ru_RU.utf8' && return 0
  echo "Generating the ru_RU.UTF-8 locale"
  $sudo sed -i 's/^# *ru_RU.UTF-8 UTF-8/ru_RU.UTF-8 UTF-8/' /etc/locale.gen
  $sudo locale-gen >/dev/null
}

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

installed=$(dpkg-query -W -f='${Package} ${db:Status-Abbrev}\n' 2>/dev/null | awk '$2 == "ii" {print $1}')
missing=()
for package in "${wanted[@]}"; do
  grep -qxF "$package" <<<"$installed" || missing+=("$package")
done
if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
ensure_locale
