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
# build/default for the build's facts). On amd64 with arm64 among dpkg's
# architectures the arm64 package too, cross-built as Debian cross-builds
# and checked the same way but for the autopkgtest (with build/arm64's facts,
# its window under qemu-user). The release takes these packages for its
# first build. Needs root, as apt-get does.
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
machine=$(dpkg --print-architecture)
test_deb() {  # test_deb ARCH BUILD
  /usr/bin/python3 -m pytest -c "$root/pytest.ini" --rootdir="$root" -q \
    "$root/packaging/test/packaging_test.py" -k test_deb_ --deb "$(ls "$out"/lccalc_*_"$1".deb)" --build "$2"
}
test_deb "$machine" "$root/build/default"

[ "$machine" = amd64 ] && dpkg --print-foreign-architectures | grep -qx arm64 || exit 0
echo "== arm64, cross-built"
apt-get build-dep -q -y -a arm64 -P cross,nocheck "$source" >"$out/build-dep-arm64.log" 2>&1 ||
  { cat "$out/build-dep-arm64.log"; exit 1; }
(cd "$source" && DEB_BUILD_OPTIONS=nocheck env -u SOURCE_DATE_EPOCH \
  dpkg-buildpackage -b -us -uc -a arm64 -Pcross,nocheck -j"$(nproc)") >"$out/build-arm64.log" 2>&1 ||
  { tail -80 "$out/build-arm64.log"; exit 1; }
lintian --pedantic -I --fail-on error,warning "$out"/lccalc_*_arm64.changes
if [ -f "$root/build/arm64/lc-tests.json" ]; then
  test_deb arm64 "$root/build/arm64"
else
  echo "arm64: the package's tests skipped: build/arm64 is not built (its tests could not run here)"
fi
