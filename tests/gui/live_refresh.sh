#!/usr/bin/env bash
# Runs the viewer's live refresh check (live_refresh_test.cpp) on a virtual
# display, as root, with a scratch folder for its loop device, and always
# takes down whatever it left attached or mounted. Skips, with the reason,
# where loop devices cannot be made.
#   live_refresh.sh GUI_TESTS [gtest options...]
set -uo pipefail

tests="$1"
shift

skip() {
  echo "SKIPPED: $*"
  exit 77
}

[ "$(id -u)" -eq 0 ] || skip "not root: loop devices cannot be made"
[ -e /dev/loop-control ] || skip "the kernel has no loop devices (no /dev/loop-control)"
for tool in losetup partx sfdisk mkfs.ext4 mount umount findmnt truncate xvfb-run; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done
grep -qw ext4 /proc/filesystems || skip "the kernel has no ext4"

work="$(mktemp -d /tmp/quelbrin-live-refresh.XXXXXX)"
teardown() {
  set +e
  findmnt -rn -o TARGET | grep "^$work/" | sort -r | while read -r target; do
    umount "$target" 2>/dev/null || umount -l "$target"
  done
  losetup -j "$work/disk.img" -n -O NAME 2>/dev/null | while read -r loop; do
    partx -d "$loop" 2>/dev/null
    losetup -d "$loop"
  done
  rm -rf "$work"
}
trap teardown EXIT
trap 'exit 130' INT TERM

truncate -s 64M "$work/disk.img"
probe="$(losetup -f --show "$work/disk.img" 2>&1)" || skip "the kernel refuses to attach a loop device: $probe"
losetup -d "$probe"
rm -f "$work/disk.img"

QUELBRIN_LIVE_WORK="$work" NO_AT_BRIDGE=1 xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$tests" --gtest_filter='LiveRefresh.*' "$@"
