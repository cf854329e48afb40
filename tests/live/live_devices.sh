#!/usr/bin/env bash
# Builds real block devices on loop devices — partition tables, filesystems,
# FUSE mounts, a btrfs over two disks — runs the checks of
# live_devices_test.cpp against them, and always takes everything down again,
# whatever the checks found. Skips, with the reason, where loop devices cannot
# be made.
#   live_devices.sh CLI CHECKS [gtest options...]
set -uo pipefail

cli="$1"
checks="$2"
shift 2

skip() {
  echo "SKIPPED: $*"
  exit 77
}

[ "$(id -u)" -eq 0 ] || skip "not root: loop devices cannot be made"
[ -e /dev/loop-control ] || skip "the kernel has no loop devices (no /dev/loop-control)"
for tool in losetup partx sfdisk blockdev mkfs.ext4 mkfs.xfs mkfs.btrfs mkfs.ntfs mkfs.exfat mkfs.vfat mkswap \
            ntfs-3g mount.exfat-fuse lsblk blkid findmnt setpriv unshare; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done
for fs in ext4 xfs btrfs fuseblk; do
  grep -qw "$fs" /proc/filesystems || skip "the kernel has no $fs"
done

work="$(mktemp -d /tmp/quelbrin-live.XXXXXX)"
chmod 755 "$work"
loops=()
daemons=()

teardown() {
  set +e
  # A check may have stopped a FUSE daemon; it must run again to be unmounted.
  for pid in "${daemons[@]}"; do kill -CONT "$pid" 2>/dev/null; done
  findmnt -rn -o TARGET | grep "^$work/" | sort -r | while read -r target; do
    umount "$target" 2>/dev/null || umount -l "$target"
  done
  for pid in "${daemons[@]}"; do kill "$pid" 2>/dev/null; done
  for loop in "${loops[@]}"; do
    partx -d "$loop" 2>/dev/null
    losetup -d "$loop"
  done
  rm -rf "$work"
}
trap teardown EXIT
trap 'exit 130' INT TERM

fail() {
  echo "live_devices: $*" >&2
  exit 1
}

# attach IMAGE [losetup options]: a loop device with its partitions, in
# $attached. The kernel may lack the table parsers, so the partitions are
# added from user space; partitions so added outlive a detach, so any left on
# the free device by an earlier run go first.
attach() {
  local image="$1"
  shift
  attached="$(losetup -f --show "$@" "$image")" || fail "cannot attach $image"
  loops+=("$attached")
  partx -d "$attached" 2>/dev/null
  partx -a "$attached" 2>/dev/null
}

# The pid of the FUSE daemon serving a mount point of ours.
daemon_of() {
  local target="$1" pid
  for pid in $(ls /proc | grep -E '^[0-9]+$'); do
    if tr '\0' ' ' 2>/dev/null <"/proc/$pid/cmdline" | grep -q -- " $target\( \|$\)"; then
      echo "$pid"
      return
    fi
  done
}

image() {
  truncate -s "$2" "$work/$1.img" && echo "$work/$1.img"
}

mkdir -p "$work/mnt"
for m in ext4 ext4-bind xfs exfat ntfs btrfs whole btrfs-whole; do mkdir -p "$work/mnt/$m"; done

# A: GPT, 512-byte sectors: ext4 (a label with a newline), xfs, exFAT and NTFS
# through FUSE, a btrfs member, a LUKS signature.
a_img="$(image a 1200M)"
sfdisk -q "$a_img" <<'TABLE' || fail "sfdisk a"
label: gpt
size=64M, name="ext four"
size=320M, name=xfs
size=64M, name=exfat
size=64M, name=ntfs
size=300M, name=btrfs
size=16M, name=luks
TABLE
attach "$a_img"
a="$attached"
mkfs.ext4 -q -F -L $'li\nne' "${a}p1" || fail "mkfs.ext4"
mkfs.xfs -q -f -L xfsvol "${a}p2" || fail "mkfs.xfs"
mkfs.exfat -L EXVOL "${a}p3" >/dev/null || fail "mkfs.exfat"
mkfs.ntfs -Q -F -L NTVOL "${a}p4" >/dev/null 2>&1 || fail "mkfs.ntfs"
# A LUKS container's header: the magic, version 1, and its UUID.
printf 'LUKS\xba\xbe\x00\x01' | dd of="${a}p6" conv=notrunc status=none
printf '%s' "0b1c2d3e-4f50-4617-8293-a4b5c6d7e8f9" | dd of="${a}p6" bs=1 seek=168 conv=notrunc status=none

# B: MBR with 4096-byte sectors: the second btrfs member, then an extended
# container with FAT32, swap and two unformatted Linux partitions.
b_img="$(image b 1G)"
attach "$b_img" -b 4096
b="$attached"
# Written through the device, for its sector size; the kernel's re-read fails
# where it has no table parsers.
sfdisk -q "$b" 2>/dev/null <<'TABLE' || fail "sfdisk b"
label: dos
size=300M, type=83
type=5
size=64M, type=c
size=32M, type=82
size=16M, type=83
size=16M, type=83
TABLE
# One by one: the extended container's stub cannot be added on 4096-byte
# sectors, and partx gives up on the rest after a failure.
for n in 1 5 6 7 8; do
  [ -e "${b}p$n" ] || partx -a --nr "$n" "$b" || fail "partx b $n"
done
mkfs.vfat -F 32 -n FATVOL "${b}p5" >/dev/null || fail "mkfs.vfat"
mkswap -q -L swapvol "${b}p6" || fail "mkswap"
mkfs.btrfs -q -f -L pair "${a}p5" "${b}p1" || fail "mkfs.btrfs pair"

# C: ext4 on the whole disk. E, F: btrfs over two whole disks.
attach "$(image c 96M)"
c="$attached"
mkfs.ext4 -q -F -L whole "$c" || fail "mkfs.ext4 whole"
attach "$(image e 300M)"
e="$attached"
attach "$(image f 300M)"
f="$attached"
mkfs.btrfs -q -f -L wholepair "$e" "$f" || fail "mkfs.btrfs whole pair"

mount "${a}p1" "$work/mnt/ext4" || fail "mount ext4"
mkdir -p "$work/mnt/ext4/sub"
mount --bind "$work/mnt/ext4/sub" "$work/mnt/ext4-bind" || fail "bind mount"
mount "${a}p2" "$work/mnt/xfs" || fail "mount xfs"
mount.exfat-fuse "${a}p3" "$work/mnt/exfat" >/dev/null 2>&1 || fail "mount exfat-fuse"
ntfs-3g "${a}p4" "$work/mnt/ntfs" || fail "mount ntfs-3g"
mount -o "device=${b}p1" "${a}p5" "$work/mnt/btrfs" || fail "mount btrfs"
mount "$c" "$work/mnt/whole" || fail "mount whole"
mount -o "device=$f" "$e" "$work/mnt/btrfs-whole" || fail "mount btrfs whole"
for m in exfat ntfs; do
  pid="$(daemon_of "$work/mnt/$m")"
  [ -n "$pid" ] || fail "no daemon found for $m"
  daemons+=("$pid")
  echo "${m}_daemon=$pid" >>"$work/manifest"
done

cat >>"$work/manifest" <<MANIFEST
cli=$cli
work=$work
a=$a
b=$b
c=$c
e=$e
f=$f
MANIFEST

QUELBRIN_LIVE_MANIFEST="$work/manifest" "$checks" "$@"
