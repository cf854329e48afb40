#!/usr/bin/env bash
# quelbrin-cli tree and json against lsblk -J -O on real loop devices: 8 GPT
# disks of 16 ext4 partitions each, one partition of each disk mounted, so
# that every partition is a volume of the machine. Measured side by side in
# one run; prints each median as a ratio of lsblk's. Root only; everything
# made is taken down again.
#   bench/live_tree_bench.sh [BUILD_DIR [FURTHER_COMMAND...]]
source "$(dirname "$0")/../scripts/lib.sh"
set +e
quelbrin_install_packages

build="${1:-$QUELBRIN_ROOT/build}"
[ $# -gt 0 ] && shift
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

# Rounds of one run of each command in turn, so that whatever else the
# machine does at a moment weighs on all of them alike; then the median of each.
commands=("lsblk -J -O" "$cli --all-mount-points tree" "$cli --all-mount-points json" "$@")
for c in "${commands[@]}"; do $c >/dev/null 2>&1; done  # warm the caches
rounds="${QUELBRIN_BENCH_ROUNDS:-60}"
for r in $(seq 1 "$rounds"); do
  for i in "${!commands[@]}"; do
    start=$EPOCHREALTIME
    ${commands[$i]} >/dev/null 2>&1
    end=$EPOCHREALTIME
    echo "$i $start $end"
  done
done >"$work/times.txt"
echo "cores: $(nproc), rounds: $rounds"
for i in "${!commands[@]}"; do
  awk -v i="$i" '$1 == i { printf "%.3f\n", ($3 - $2) * 1000 }' "$work/times.txt" | sort -n |
    awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }' >"$work/median$i"
done
base="$(cat "$work/median0")"
for i in "${!commands[@]}"; do
  awk -v m="$(cat "$work/median$i")" -v b="$base" -v c="${commands[$i]}" \
    'BEGIN { printf "%s: median %.1f ms, ratio %.2f\n", c, m, m / b }'
done
