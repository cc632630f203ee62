#!/usr/bin/env bash
# Times the whole pluckrow process on generated logs of the same frames in
# candump's -ta, -l and untimed layouts, page cache warm, against the
# straightforward fgets+sscanf converter on the -ta log, and checks that all
# write the same rows. With PLUCKROW_PREVIOUS set to another build of
# pluckrow, times it on the -ta log in the same run.
# Usage: bench/compare.sh [LINES] [RUNS]
set -euo pipefail
lines=${1:-4000000}
runs=${2:-7}
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
layouts=(absolute log-file untimed)
for layout in "${layouts[@]}"; do
  build/bench/bench/pluckrow_make_log "$lines" "$work/$layout.log" "$layout"
  cat "$work/$layout.log" >/dev/null
done

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

# MB/s of a run of `ms` milliseconds over the log of `layout`.
report() {
  local name=$1 layout=$2 ms=$3
  awk -v n="$name" -v b="$(stat -c %s "$work/$layout.log")" -v t="$ms" -v s="${4:-0}" 'BEGIN {
    printf "%-22s %5d ms, %5.0f MB/s", n, t, b / t / 1000
    if (s > 0) printf ", %3.0f%% of -ta", 100 * (b / t) / s
    printf "\n"
  }'
}

declare -A ms
for layout in "${layouts[@]}"; do
  ms[$layout]=$(median_ms build/bench/pluckrow "$work/$layout.log")
  mv "$work/$layout.log.csv" "$work/$layout.csv"
  cmp "$work/absolute.csv" "$work/$layout.csv"
done
base_ms=$(median_ms build/bench/bench/pluckrow_baseline "$work/absolute.log")
cmp "$work/absolute.csv" "$work/absolute.log.csv"
if [ -n "${PLUCKROW_PREVIOUS:-}" ]; then
  previous_ms=$(median_ms "$PLUCKROW_PREVIOUS" "$work/absolute.log")
  cmp "$work/absolute.csv" "$work/absolute.log.csv"
fi
rss_kb=$(/usr/bin/time -f %M build/bench/pluckrow "$work/absolute.log" 2>&1)

echo "logs: $lines lines each; median of $runs runs; rows identical in every layout"
standard=$(awk -v b="$(stat -c %s "$work/absolute.log")" -v t="${ms[absolute]}" 'BEGIN { print b / t }')
report "pluckrow -ta" absolute "${ms[absolute]}"
report "pluckrow -l" log-file "${ms[log-file]}" "$standard"
report "pluckrow untimed" untimed "${ms[untimed]}" "$standard"
if [ -n "${previous_ms:-}" ]; then report "previous build -ta" absolute "$previous_ms"; fi
report "baseline -ta" absolute "$base_ms"
awk -v s="$base_ms" -v f="${ms[absolute]}" -v r="$rss_kb" 'BEGIN {
  printf "ratio to baseline: %.1fx; peak RSS %d KiB\n", s / f, r
}'
