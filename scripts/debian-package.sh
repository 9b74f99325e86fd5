#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
# Builds and checks the Debian source package as a distribution would, from
# the tracked files of this checkout, in build/debian/: its build
# dependencies (apt-get build-dep), the source package, the binary package
# and its -dbgsym with the tests that need no display (dpkg-buildpackage),
# lintian at --pedantic (no error or warning), the autopkgtest on the
# installed package (autopkgtest's null runner: on this system, which is
# left without the package afterwards), and the packaging tests on the .deb
# (its files, dependencies, hardening and window; they take this machine's
# build/default for the build's facts). Needs root, as apt-get does.
#
# Usage: scripts/debian-package.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/debian
source=$out/lccalc
rm -rf "$out"
mkdir -p "$source"
# dpkg-buildpackage writes its packages beside the source folder: here, out.
(cd "$root" && git ls-files -z --cached --others --exclude-standard | grep -zv '^build/' |
  tar --null -T - -c) | tar -x -C "$source"

echo "== build dependencies"
apt-get build-dep -q -y "$source" >"$out/build-dep.log" 2>&1 || { cat "$out/build-dep.log"; exit 1; }
echo "== dpkg-buildpackage"
# File times in the packages are the newest changelog entry's, as in the
# release (which takes these packages for its first build).
(cd "$source" && env -u SOURCE_DATE_EPOCH dpkg-buildpackage -us -uc -j"$(nproc)") >"$out/build.log" 2>&1 ||
  { tail -80 "$out/build.log"; exit 1; }
grep -E "tests passed|tests failed" "$out/build.log"
changes=$(ls "$out"/lccalc_*.changes)
echo "== lintian"
lintian --pedantic -I --fail-on error,warning "$changes"
echo "== autopkgtest"
installed=$(dpkg-query -W -f '${Status}' lccalc 2>/dev/null || true)
status=0
autopkgtest "$changes" -- null >"$out/autopkgtest.log" 2>&1 || status=$?
[ "$installed" = "install ok installed" ] || apt-get purge -q -y lccalc >/dev/null
[ "$status" -eq 0 ] || { tail -60 "$out/autopkgtest.log"; exit 1; }
sed -n '/@@@@ summary/,$p' "$out/autopkgtest.log" | sed -n 2p
echo "== the package's files, dependencies, hardening and window"
deb=$(ls "$out"/lccalc_*_"$(dpkg --print-architecture)".deb)
/usr/bin/python3 -m pytest -c "$root/pytest.ini" --rootdir="$root" -q \
  "$root/packaging/test/packaging_test.py" -k test_deb_ --deb "$deb" --build "$root/build/default"
