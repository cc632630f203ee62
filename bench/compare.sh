#!/usr/bin/env bash
# Times the whole pluckrow process against the straightforward fgets+sscanf
# converter on a generated log, page cache warm, and checks that both write
# the same rows.  Usage: bench/compare.sh [LINES] [RUNS]
set -euo pipefail
lines=${1:-4000000}
runs=${2:-7}
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/bench/bench/pluckrow_make_log "$lines" "$work/trace.log"
bytes=$(stat -c %s "$work/trace.log")
cat "$work/trace.log" >/dev/null

# Median wall time of RUNS runs, in milliseconds.
median_ms() {
  for _ in $(seq "$runs"); do
    local start end
    start=$(date +%s%N)
    "$@"
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
  done | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'
}

fast_ms=$(median_ms build/bench/pluckrow "$work/trace.log")
mv "$work/trace.log.csv" "$work/fast.csv"
base_ms=$(median_ms build/bench/bench/pluckrow_baseline "$work/trace.log")
cmp "$work/fast.csv" "$work/trace.log.csv"
rss_kb=$(/usr/bin/time -f %M build/bench/pluckrow "$work/trace.log" 2>&1)

echo "log: $lines lines, $bytes bytes; median of $runs runs"
awk -v b="$bytes" -v f="$fast_ms" -v s="$base_ms" -v r="$rss_kb" 'BEGIN {
  printf "pluckrow: %d ms, %.0f MB/s, peak RSS %d KiB\n", f, b / f / 1000, r
  printf "baseline: %d ms, %.0f MB/s\n", s, b / s / 1000
  printf "ratio:    %.1fx, rows identical\n", s / f
}'
