#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The lccalc developers
# SPDX-License-Identifier: MIT
# Runs the README's test command as a new user would: on a minimal Debian
# (debootstrap --variant=minbase) of RELEASE, bookworm (12) by default or
# trixie (13), into which this repository's committed HEAD is cloned. CI runs
# it for bookworm. Run as root; it takes 10 to 12 minutes on two cores.
# Prints the time taken and exits with the test command's status.
#
# Usage: scripts/fresh-check.sh [--arch ARCH] [RELEASE] [COMMAND...]
#   --arch   a system of another architecture: arm64 (a Raspberry Pi's),
#            run here under qemu-user, far slower than on the real machine;
#            this machine's own unless given
#   COMMAND, run in the clone instead of scripts/test.sh, helps to look into
#   a failure (the chroot stays in build/fresh/RELEASE[-ARCH] until the next
#   run).
#
# The base system is downloaded once and cached outside the checkout, in
# $LC_FRESH_CACHE (/var/cache/lccalc-fresh unless set), so that a new clone
# (CI's) does not download it again. This machine's extra CA certificates
# (/usr/local/share/ca-certificates), which a TLS-inspecting proxy may need,
# are trusted inside the chroot too; they belong to the network, not to the
# project.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
native=$(dpkg --print-architecture)
arch=$native
if [ "${1:-}" = --arch ]; then
  arch=${2:?fresh-check: --arch needs an architecture}
  shift 2
fi
release=${1:-bookworm}
shift || true
name=$release
[ "$arch" = "$native" ] || name=$release-$arch
fresh=$root/build/fresh
chroot_dir=$fresh/$name
cache=${LC_FRESH_CACHE:-/var/cache/lccalc-fresh}
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}

[ "$(id -u)" -eq 0 ] || { echo "fresh-check: run as root" >&2; exit 2; }
command -v debootstrap >/dev/null || "$root/scripts/setup.sh" fresh
if [ "$arch" != "$native" ]; then
  # Another architecture's programs run under qemu-user, which the kernel
  # must know of; debootstrap's second stage already runs them.
  [ "$arch" = arm64 ] || { echo "fresh-check: only arm64 can be emulated here" >&2; exit 2; }
  command -v qemu-aarch64-static >/dev/null || "$root/scripts/setup.sh" arm64
  "$root/scripts/binfmt-arm64.sh"
fi

mounted=()
cleanup() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
}
trap cleanup EXIT
bind() {  # bind SOURCE TARGET-IN-CHROOT [mount options...]
  mkdir -p "$chroot_dir$2"
  mount "${@:3}" "$1" "$chroot_dir$2"
  mounted+=("$chroot_dir$2")
}

start=$(date +%s)
mkdir -p "$fresh" "$cache"
# git and ca-certificates: what a user who cloned the repository has. A
# download that fails (the mirror or the network, for a moment) is tried
# again; the tarball is kept only once it is whole.
tarball=$cache/$name.tgz
for attempt in 1 2 3; do
  [ ! -f "$tarball" ] || break
  echo "== making the $name base system (cached in $tarball), attempt $attempt"
  rm -rf "$cache/tmp-$name"
  if debootstrap --arch="$arch" --variant=minbase --include=ca-certificates,git \
       --make-tarball="$tarball.part" "$release" "$cache/tmp-$name" "$mirror"; then
    mv "$tarball.part" "$tarball"
  fi
  rm -rf "$cache/tmp-$name"
done
[ -f "$tarball" ] || { echo "fresh-check: could not download the $release base system" >&2; exit 1; }
# A run that was killed may have left its mounts: never remove through them.
if [ -d "$chroot_dir" ]; then
  findmnt -rn -o TARGET | { grep -F "$chroot_dir/" || true; } | sort -r | while read -r target; do
    umount -l "$target"
  done
  rm -rf --one-file-system "$chroot_dir"
fi
debootstrap --arch="$arch" --variant=minbase --include=ca-certificates,git \
  --unpack-tarball="$tarball" "$release" "$chroot_dir" "$mirror"

cp /etc/resolv.conf "$chroot_dir/etc/resolv.conf"
if compgen -G "/usr/local/share/ca-certificates/*.crt" >/dev/null; then
  mkdir -p "$chroot_dir/usr/local/share/ca-certificates"
  cp /usr/local/share/ca-certificates/*.crt "$chroot_dir/usr/local/share/ca-certificates/"
  chroot "$chroot_dir" update-ca-certificates >/dev/null
fi
git clone -q "$root" "$chroot_dir/root/lccalc"
echo "== cloned $(git -C "$root" rev-parse --short HEAD) into a fresh $release for $arch"
[ -z "$(git -C "$root" status --porcelain)" ] || echo "(uncommitted changes are not in the clone)"

bind proc /proc -t proc
bind sysfs /sys -t sysfs
bind /dev /dev --rbind --make-rslave
# The packages downloaded by an earlier run on this machine, kept for the
# next (a newcomer's first run has none).
mkdir -p "$cache/apt-$name"
bind "$cache/apt-$name" /var/cache/apt/archives --bind
command=("$@")
[ ${#command[@]} -ne 0 ] || command=(scripts/test.sh)
status=0
chroot "$chroot_dir" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" LANG=C.UTF-8 CI=true \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  NODE_EXTRA_CA_CERTS=/etc/ssl/certs/ca-certificates.crt \
  /bin/bash -c 'cd /root/lccalc && "$@"' bash "${command[@]}" </dev/null || status=$?
elapsed=$(($(date +%s) - start))
printf '== fresh %s: %s exited with %d after %dm%02ds\n' "$name" "${command[*]}" "$status" \
  $((elapsed / 60)) $((elapsed % 60))
exit "$status"
