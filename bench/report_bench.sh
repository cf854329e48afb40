#!/usr/bin/env bash
# The HTML report's size and the time to make it, against `quelbrin-cli tree`
# on the same machine as the yardstick, measured side by side in one run: the
# server sample, and a generated machine of 10,000 volumes, each on its own MBR
# disk (bench/generate_machine.py). Prints each median and its ratio to the
# tree's.
#   bench/report_bench.sh [BUILD_DIR]
# QUELBRIN_BENCH_ROUNDS sets the rounds for the server (default 20); the big
# machine gets a quarter of them, at least 3.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
cli="$build/quelbrin-cli"
[ -x "$cli" ] || { echo "no $cli: build first" >&2; exit 1; }

work="$(mktemp -d /tmp/quelbrin-report-bench.XXXXXX)"
trap 'rm -rf "$work"' EXIT
python3 "$root/bench/generate_machine.py" 10000 >"$work/volumes-10000.json"

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
ms() { local start=$EPOCHREALTIME; "$@" >/dev/null 2>&1 || true; echo "$start $EPOCHREALTIME" | awk '{ printf "%.1f\n", ($2 - $1) * 1000 }'; }

rounds="${QUELBRIN_BENCH_ROUNDS:-20}"
echo "cores: $(nproc), load: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-22s %8s %10s %10s %7s %12s\n' machine rounds "tree ms" "report ms" ratio "report bytes"
for machine in "$root/samples/server.json" "$work/volumes-10000.json"; do
  args=(--machine "$machine")
  n=$rounds
  if [[ "$machine" == *volumes-10000* ]]; then
    args+=(--all-mount-points)
    n=$((rounds / 4 < 3 ? 3 : rounds / 4))
  fi
  "$cli" "${args[@]}" tree >/dev/null 2>&1 || true  # warm the caches
  : >"$work/tree"
  : >"$work/report"
  # One run of each in turn, so that whatever else the machine does weighs on both alike.
  for _ in $(seq 1 "$n"); do
    ms "$cli" "${args[@]}" tree >>"$work/tree"
    ms "$cli" "${args[@]}" report -o "$work/page.html" >>"$work/report"
  done
  tree=$(median <"$work/tree")
  report=$(median <"$work/report")
  printf '%-22s %8d %10s %10s %7s %12d\n' "$(basename "$machine")" "$n" "$tree" "$report" \
    "$(awk -v a="$report" -v b="$tree" 'BEGIN { printf "%.1f", a / b }')" "$(stat -c %s "$work/page.html")"
done
