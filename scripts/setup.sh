#!/usr/bin/env bash
# Installs the packages of debian-packages.txt that are not installed yet:
# those before its "[bench]" line, and with the argument "bench" those after
# it too. Does nothing, quickly, when all are there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" = bench ]; then
  mapfile -t wanted < <(sed -e 's/#.*//' -e '/^\[bench\]/d' -e '/^[[:space:]]*$/d' "$root/debian-packages.txt")
else
  mapfile -t wanted < <(sed -e '/^\[bench\]/,$d' -e 's/#.*//' -e '/^[[:space:]]*$/d' "$root/debian-packages.txt")
fi
installed=$(dpkg-query -W -f='${Package} ${db:Status-Abbrev}\n' 2>/dev/null | awk '$2 == "ii" {print $1}')
missing=()
for package in "${wanted[@]}"; do
  grep -qxF "$package" <<<"$installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
