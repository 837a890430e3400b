#!/usr/bin/env bash
# Tries the README's test command the way a new user meets it: in a
# throw-away Debian 12 root made with debootstrap, with nothing installed by
# hand, the committed repository copied in, run as root. Then the packaging
# command, in the same root.
#   scripts/check-fresh-machine.sh [WORK_DIR]
# Run by hand (it takes the better part of an hour); needs root. The root is kept in
# WORK_DIR (default /var/tmp/kit-fresh) for a look afterwards and made anew
# on every run. Prints the run time of each stage.
set -euo pipefail
root_dir=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-/var/tmp/kit-fresh}
mirror=${KIT_DEBIAN_MIRROR:-http://deb.debian.org/debian}
if [ "$(id -u)" != 0 ]; then
  echo "check-fresh-machine.sh: run as root (it builds a chroot)" >&2
  exit 2
fi
command -v debootstrap >/dev/null || { apt-get update -qq && apt-get install -y -qq debootstrap; }

fresh="$work/root"
unmount_all() {
  for m in dev/shm dev/pts dev sys proc; do
    mountpoint -q "$fresh/$m" 2>/dev/null && umount -l "$fresh/$m" || true
  done
}
trap unmount_all EXIT
unmount_all
rm -rf "$work"
mkdir -p "$work"

stage_start=$SECONDS
stage() {  # name: prints the time the previous stage took
  echo "== $1 ($(( SECONDS - stage_start )) s since the start)"
}

stage "debootstrap bookworm (minbase)"
debootstrap --variant=minbase bookworm "$fresh" "$mirror" >"$work/debootstrap.log" 2>&1 \
  || { tail -20 "$work/debootstrap.log"; exit 1; }
# What a Debian 12 install has besides: the security and update suites.
cat >"$fresh/etc/apt/sources.list" <<SOURCES
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb ${mirror%/debian}/debian-security bookworm-security main
SOURCES
cp /etc/resolv.conf "$fresh/etc/resolv.conf" 2>/dev/null || true

stage "copying the committed repository"
mkdir -p "$fresh/root/kit"
git -C "$root_dir" archive HEAD | tar -x -C "$fresh/root/kit"

mount -t proc proc "$fresh/proc"
mount -t sysfs sys "$fresh/sys"
mount --bind /dev "$fresh/dev"
mount -t devpts devpts "$fresh/dev/pts"
mount -t tmpfs tmpfs "$fresh/dev/shm"

stage "the README's test command"
in_root() {  # command line, log file: runs it in the fresh root as a user would
  chroot "$fresh" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin TERM=dumb \
    bash -c "cd /root/kit && $1" 2>&1 | tee "$2"
  return "${PIPESTATUS[0]}"
}
set +e
in_root 'scripts/test.sh -j2' "$work/test.log"
status=$?
stage "the test command ended with exit status $status (log: $work/test.log)"
if [ "$status" = 0 ]; then
  in_root 'scripts/package.sh && ls -l dist' "$work/package.log"
  status=$?
  stage "the packaging command ended with exit status $status (log: $work/package.log)"
fi
set -e
exit "$status"
