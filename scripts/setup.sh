#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
# Installs the packages of debian-packages.txt that are not installed yet:
# those before its first "[section]" line (the window's), and those of each
# section named as an argument ("setup.sh test web" for the Linux tests and
# the page's, with the page's test drivers from npm); adds the arm64
# architecture to dpkg's where a package of it is wanted, and with the
# tests generates the ru_RU.UTF-8 locale they use. Does nothing, quickly,
# when all is there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

mapfile -t wanted < <(awk -v sections=" $* " '
  /^\[.*\]$/ { section = substr($0, 2, length($0) - 2); next }
  { sub(/#.*/, "") }
  NF && (section == "" || index(sections, " " section " ")) { print $1 }
' "$root/debian-packages.txt")
# Debian's nodejs comes without npm, which is a package of its own; a
# Node.js from elsewhere may bundle npm (and conflict with Debian's).
case " $* " in *" web "*) command -v npm >/dev/null || wanted+=(npm) ;; esac

# The tests run in a Russian locale too; glibc needs it generated.
ensure_locale() {
  locale -a 2>/dev/null | grep -qx 'ru_RU.utf8' && return 0
  echo "Generating the ru_RU.UTF-8 locale"
  $sudo sed -i 's/^# *ru_RU.UTF-8 UTF-8/ru_RU.UTF-8 UTF-8/' /etc/locale.gen
  $sudo locale-gen >/dev/null
}

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# Every installed package as NAME:ARCH; a name without an architecture
# means this machine's own (or a package for all architectures).
native=$(dpkg --print-architecture)
installed=$(dpkg-query -W -f='${Package}:${Architecture} ${db:Status-Abbrev}\n' 2>/dev/null |
  awk '$2 == "ii" {print $1}')
missing=()
for package in "${wanted[@]}"; do
  if [[ $package == *:* ]]; then
    grep -qxF "$package" <<<"$installed" || missing+=("$package")
  else
    grep -qxF -e "$package:$native" -e "$package:all" <<<"$installed" || missing+=("$package")
  fi
done
if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing: ${missing[*]}"
  if [[ " ${missing[*]}" == *:arm64* ]] && [ "$native" != arm64 ] &&
     ! dpkg --print-foreign-architectures | grep -qx arm64; then
    echo "Adding the arm64 architecture to dpkg's"
    $sudo dpkg --add-architecture arm64
  fi
  export DEBIAN_FRONTEND=noninteractive
  # A download that fails for a moment is tried again.
  $sudo apt-get -o Acquire::Retries=5 update -q
  $sudo apt-get -o Acquire::Retries=5 install -y -q --no-install-recommends "${missing[@]}"
fi
case " $* " in *" test "*) ensure_locale ;; esac
# The page's test drivers (puppeteer-core, axe-core) come from npm, as its
# lock file has them.
case " $* " in
  *" web "*)
    if [ ! "$root/web/test/node_modules/.package-lock.json" -nt "$root/web/test/package-lock.json" ]; then
      (cd "$root/web/test" && npm ci --no-audit --no-fund)
    fi
    ;;
esac
