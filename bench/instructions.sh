#!/usr/bin/env bash
# Counts the instructions a line of the whole pluckrow process with
# callgrind, for a log of every line shape candump writes and for each real
# log of the corpus with 100 lines or more (repeated to LINES lines, as
# recorded and with its interfaces renamed can0): a count that the machine's
# load and drift leave as it is, unlike a time. With PLUCKROW_PREVIOUS set to
# other builds (paths separated by ":"), counts each of them too, a column
# each.
# Usage: bench/instructions.sh [LINES] [CORPUS]
set -euo pipefail
lines=${1:-100000}
cd "$(dirname "$0")/.."
corpus=${2:-../shared/corpus/real}
source bench/each_log.sh
bench_build valgrind valgrind
IFS=: read -r -a previous <<<"${PLUCKROW_PREVIOUS:-}"

# Instructions a line of `build` converting `log`.
per_line() {
  local collected
  collected=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null "$1" "$2" 2>&1 |
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p')
  awk -v c="$collected" -v l="$(wc -l <"$2")" 'BEGIN { printf "%8.1f", c / l }'
}

measure() {
  printf '%-50s' "$2"
  for build in "$bin/pluckrow" "${previous[@]}"; do printf ' %s' "$(per_line "$build" "$1")"; done
  printf '\n'
  rm -f "$1" "$1.csv"
}

printf '%-50s %8s' log now
for ((i = 1; i <= ${#previous[@]}; ++i)); do printf ' %8s' "prev $i"; done
printf '\n'
each_log "$lines" "$corpus" "$work" "$bin/bench/pluckrow_make_log"
