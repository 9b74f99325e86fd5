#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
# Builds the release from this checkout, without tests, and writes
# build/release/ holding exactly:
#   lccalc_VERSION_amd64.deb         the Linux program, as a Debian package
#   lccalc-dbgsym_VERSION_amd64.deb  its debug symbols
#   lccalc_VERSION_arm64.deb         the same for 64-bit ARM (a Raspberry Pi),
#   lccalc-dbgsym_VERSION_arm64.deb  and its debug symbols
#   lccalc-VERSION-win64.zip         the Windows program
#   lccalc-VERSION-web.zip           the web page (index.html at its root)
#   SHA256SUMS                       over the others
# The Debian packages are dpkg-buildpackage's, of debian/, without tests;
# the arm64 ones cross-built as Debian cross-builds. It runs on amd64;
# elsewhere the Debian packages are that machine's own.
# The same sources give the same bytes: file times come from
# SOURCE_DATE_EPOCH (in the Debian packages the newest debian/changelog
# entry's, as dpkg-buildpackage sets it; elsewhere the last commit's time
# unless set), and the time zone, umask, locale and the checkout's path do
# not enter the result.
#
# Usage: [LC_RELEASE_DEBS=FOLDER] scripts/release.sh [--check]
#   LC_RELEASE_DEBS  a folder holding Debian packages already
#            built from the same sources (scripts/debian-package.sh leaves
#            them in build/debian): the release, or with --check its first
#            build, takes them instead of building them again (the tests a
#            package is built with change none of its bytes).
#   --check  builds twice, in two clones at different paths, in different
#            time zones and umasks, one after the other, and compares the
#            sums; on a difference it names the artifact (and shows
#            diffoscope's summary where diffoscope is installed). It also
#            checks that SHA256SUMS covers every file and that
#            `sha256sum -c` passes on them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if [ "${1:-}" = --check ]; then
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  git clone -q "$root" "$scratch/a"
  git clone -q "$root" "$scratch/b/at/another/depth"
  (cd "$scratch/a" && export TZ=Asia/Tokyo && umask 077 && scripts/release.sh) \
    >"$scratch/a.log" 2>&1 || { cat "$scratch/a.log"; exit 1; }
  (cd "$scratch/b/at/another/depth" && export TZ=America/Los_Angeles && umask 002 &&
    env -u LC_RELEASE_DEBS scripts/release.sh) >"$scratch/b.log" 2>&1 || { cat "$scratch/b.log"; exit 1; }
  first=$scratch/a/build/release
  second=$scratch/b/at/another/depth/build/release
  # What a user who checks a download finds: each of the release's files
  # there (on amd64 the four), each with its sum in SHA256SUMS, and
  # `sha256sum -c SHA256SUMS` passing.
  machine=$(dpkg --print-architecture)
  wanted=("lccalc_*_$machine.deb" "lccalc-dbgsym_*_$machine.deb" "lccalc-*-win64.zip" "lccalc-*-web.zip")
  [ "$machine" != amd64 ] || wanted+=("lccalc_*_arm64.deb" "lccalc-dbgsym_*_arm64.deb")
  for pattern in "${wanted[@]}"; do
    compgen -G "$first/$pattern" >/dev/null || { echo "release --check: no $pattern in the release"; exit 1; }
  done
  listed=$(awk '{print $2}' "$first/SHA256SUMS" | sort)
  present=$(cd "$first" && find . -type f ! -name SHA256SUMS -printf '%P\n' | sort)
  if [ "$listed" != "$present" ]; then
    echo "release --check: SHA256SUMS lists:" $listed "; the release holds:" $present
    exit 1
  fi
  (cd "$first" && sha256sum --quiet --strict -c SHA256SUMS) || { echo "release --check: sha256sum -c failed"; exit 1; }
  if cmp -s "$first/SHA256SUMS" "$second/SHA256SUMS"; then
    echo "release --check: both builds give the same bytes:"
    cat "$first/SHA256SUMS"
    exit 0
  fi
  echo "release --check: the builds differ:"
  diff "$first/SHA256SUMS" "$second/SHA256SUMS" || true
  while read -r _ name; do
    cmp -s "$first/$name" "$second/$name" && continue
    echo "== $name"
    if command -v diffoscope >/dev/null; then
      diffoscope --text - "$first/$name" "$second/$name" | head -60 || true
    fi
  done <"$first/SHA256SUMS"
  exit 1
fi

machine=$(dpkg --print-architecture)
architectures=("$machine")
[ "$machine" != amd64 ] || architectures+=(arm64)
presets=(windows web)
"$root/scripts/setup.sh" debian "${presets[@]}" $([ "$machine" != amd64 ] || echo arm64)
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export TZ=UTC LC_ALL=C.UTF-8
umask 022
work=$root/build/release-work
out=$root/build/release
rm -rf "$work" "$out"
mkdir -p "$out"
# Paths of this checkout and its build folder are written as "." wherever
# the compiler would record them.
maps="-ffile-prefix-map=$root=."
settings=(-DLC_BUILD_TESTS=OFF -DLC_BUILD_BENCHMARKS=OFF
          "-DCMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS=OWNER_READ;OWNER_WRITE;OWNER_EXECUTE;GROUP_READ;GROUP_EXECUTE;WORLD_READ;WORLD_EXECUTE")
# The Debian packages, of a copy of the tracked files (dpkg-buildpackage
# writes beside its source folder).
for architecture in "${architectures[@]}"; do
  echo "== $architecture"
  if [ -n "${LC_RELEASE_DEBS:-}" ] && compgen -G "$LC_RELEASE_DEBS/lccalc_*_$architecture.deb" >/dev/null; then
    cp "$LC_RELEASE_DEBS"/lccalc{,-dbgsym}_*_"$architecture".deb "$out/"
    continue
  fi
  source=$work/debian-$architecture/lccalc
  mkdir -p "$source"
  git ls-files -z | tar --null -T - -c | tar -x -C "$source"
  # (One -P names every profile: a second would replace the first.)
  options=(-b -us -uc -Pnocheck)
  [ "$architecture" = "$machine" ] || options=(-b -us -uc -a "$architecture" -Pcross,nocheck)
  (cd "$source" && DEB_BUILD_OPTIONS=nocheck env -u SOURCE_DATE_EPOCH dpkg-buildpackage "${options[@]}") \
    >"$work/debian-$architecture.log" 2>&1 || { tail -60 "$work/debian-$architecture.log"; exit 1; }
  cp "$work/debian-$architecture"/lccalc{,-dbgsym}_*_"$architecture".deb "$out/"
done
for preset in "${presets[@]}"; do
  echo "== $preset"
  # Optimised for speed, and the page for size, as its preset has it; its
  # toolchain file's -fwasm-exceptions is kept.
  type=(-DCMAKE_BUILD_TYPE=Release)
  flags=$maps
  [ "$preset" != web ] || { type=(); flags="-fwasm-exceptions $maps"; }
  cmake --preset "$preset" -B "$work/$preset" "${settings[@]}" "${type[@]}" \
    "-DCMAKE_CXX_FLAGS=$flags" >/dev/null
  NODE_PATH=/usr/share/nodejs cmake --build "$work/$preset"
  NODE_PATH=/usr/share/nodejs cmake --build "$work/$preset" --target lc_zip >/dev/null
done
cp "$work"/windows/lccalc-*-win64.zip "$work"/web/lccalc-*-web.zip "$out/"
(cd "$out" && sha256sum lccalc*.deb lccalc-*-win64.zip lccalc-*-web.zip >SHA256SUMS)
echo "== the release, in $out:"
ls -l "$out"
