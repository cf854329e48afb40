#!/usr/bin/env bash
# quelbrin-cli tree and json against lsblk -J -O on real loop devices: 8 GPT
# disks of 16 ext4 partitions each, one partition of each disk mounted, so
# that every partition is a volume of the machine. Measured side by side in
# one hyperfine run; prints each median as a ratio of lsblk's. Root only;
# everything made is taken down again.
#   bench/live_tree_bench.sh [build dir]
source "$(dirname "$0")/../scripts/lib.sh"
set +e
QUELBRIN_PACKAGES+=(hyperfine jq)
quelbrin_install_packages

build="${1:-$QUELBRIN_ROOT/build}"
cli="$build/quelbrin-cli"
[ "$(id -u)" -eq 0 ] || { echo "needs root to make loop devices" >&2; exit 1; }
[ -x "$cli" ] || { echo "no $cli: build first" >&2; exit 1; }

work="$(mktemp -d /tmp/quelbrin-bench.XXXXXX)"
loops=()
teardown() {
  findmnt -rn -o TARGET | grep "^$work/" | sort -r | while read -r t; do umount "$t" || umount -l "$t"; done
  for loop in "${loops[@]}"; do
    partx -d "$loop" 2>/dev/null
    losetup -d "$loop"
  done
  rm -rf "$work"
}
trap teardown EXIT
trap 'exit 130' INT TERM

for i in $(seq 1 8); do
  img="$work/disk$i.img"
  truncate -s 600M "$img"
  { echo "label: gpt"; for p in $(seq 1 16); do echo "size=32M, name=part$p"; done; } | sfdisk -q "$img"
  loop="$(losetup -f --show "$img")" || exit 1
  loops+=("$loop")
  partx -d "$loop" 2>/dev/null
  partx -a "$loop" || exit 1
  for p in $(seq 1 16); do mkfs.ext4 -q -F -L "d${i}p$p" "${loop}p$p" || exit 1; done
  mkdir -p "$work/mnt$i"
  mount "${loop}p1" "$work/mnt$i" || exit 1
done

hyperfine -N --warmup 5 --runs 60 --export-json "$work/times.json" \
  "lsblk -J -O" "$cli --all-mount-points tree" "$cli --all-mount-points json" >&2
echo "cores: $(nproc)"
jq -r '.results as $r | $r[0].median as $base |
  $r[] | "\(.command): median \(.median * 1000 | . * 100 | round / 100) ms, ratio \(.median / $base | . * 100 | round / 100)"' \
  "$work/times.json"
