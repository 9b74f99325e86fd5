#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
# Installs the packages of debian-packages.txt that are not installed yet:
# those before its first "[section]" line, and those of each section named
# as an argument ("setup.sh bench" for the benchmarks), and generates the
# ru_RU.UTF-8 locale the tests use. Does nothing, quickly, when all is there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

mapfile -t wanted < <(awk -v sections=" $* " '
  /^\[.*\]$/ { section = substr($0, 2, length($0) - 2); next }
  { sub(/#.*/, "") }
  NF && (section == "" || index(sections, " " section " ")) { print $1 }
' "$root/debian-packages.txt")
# Debian's nodejs comes without npm, which is a package of its own; a
# Node.js from elsewhere may bundle npm (and conflict with Debian's).
command -v npm >/dev/null || wanted+=(npm)

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
  # A download that fails for a moment is tried again.
  $sudo apt-get -o Acquire::Retries=5 update -q
  $sudo apt-get -o Acquire::Retries=5 install -y -q --no-install-recommends "${missing[@]}"
fi
ensure_locale
