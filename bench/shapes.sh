#!/usr/bin/env bash
# Times the whole pluckrow process against `wc -l` on the same file with
# hyperfine (-N: no shell in the timed interval, warm-up runs, page cache
# warm), for a log of every line shape candump writes and for each real log
# of the corpus with 100 lines or more (repeated to LINES lines, as recorded
# and with its interfaces renamed can0). For each log it prints MB/s,
# nanoseconds per line, the ratio to `wc -l` and the share of the -ta
# shape's MB/s, and checks the CSV against the exact conversion. Then 10,000
# small logs in one run (many_logs.sh). With PLUCKROW_PREVIOUS set to other builds (paths
# separated by ":"), times each in the same run, a ratio to `wc -l` a column. Logs are made one at a time (a corpus log and its
# renamed copy together), so the disk holds at most two.
# Usage: bench/shapes.sh [LINES] [RUNS] [CORPUS]
set -euo pipefail
lines=${1:-4000000}
runs=${2:-10}
cd "$(dirname "$0")/.."
corpus=${3:-../shared/corpus/real}
source bench/each_log.sh
bench_build hyperfine hyperfine

# Minimum wall time in seconds of each command, in order. hyperfine runs all
# of one command's runs before the next command's, and this host's speed
# drifts from minute to minute: so each of RUNS rounds times every command
# once, after a warm-up run, in an order reversed every other round.
times() {
  local round
  for ((round = 0; round < runs; ++round)); do
    local order=("$@")
    if ((round % 2 == 1)); then
      local i
      order=()
      for ((i = $#; i >= 1; --i)); do order+=("${!i}"); done
    fi
    hyperfine -N --warmup 1 --runs 1 --export-json "$work/round$round.json" "${order[@]}" \
      >/dev/null 2>&1
  done
  python3 -c 'import json, sys
best = {}
for name in sys.argv[2:]:
    for r in json.load(open(name))["results"]:
        best[r["command"]] = min(best.get(r["command"], float("inf")), r["min"])
for command in sys.argv[1].split("\n"): print(best[command])' "$(printf '%s\n' "$@")" \
    "$work"/round*.json
  rm -f "$work"/round*.json
}

IFS=: read -ra previous <<<"${PLUCKROW_PREVIOUS:-}"
ta_speed=
measure() {
  local log=$1 name=$2
  # The log was just written: its writeback must not fall on the timed runs.
  sync
  cat "$log" >/dev/null
  local commands=("$bin/pluckrow $log" "wc -l $log")
  local build
  for build in "${previous[@]}"; do commands+=("$build $log"); done
  mapfile -t t < <(times "${commands[@]}")
  "$bin/bench/pluckrow_exact_convert" "$log"
  local check=exact
  cmp -s "$log.csv" "$log.exact.csv" || check=DIFFERS
  local bytes count
  bytes=$(stat -c %s "$log")
  count=$(wc -l <"$log")
  local speed
  speed=$(awk -v b="$bytes" -v t="${t[0]}" 'BEGIN { printf "%.0f", b / t / 1e6 }')
  [ -n "$ta_speed" ] || ta_speed=$speed
  awk -v n="$name" -v b="$bytes" -v l="$count" -v t="${t[0]}" -v w="${t[1]}" -v p="${t[*]:2}" \
    -v s="$speed" -v ta="$ta_speed" -v c="$check" 'BEGIN {
      printf "%-60s %6.0f %7.0f %6.1f %7.1f %6.2fx %5.0f%%", n, b / 1e6, s, t / l * 1e9, w * 1e3, t / w, 100 * s / ta
      split(p, times, " ")
      for (i = 1; i in times; ++i) printf "  %6.2fx", times[i] / w
      printf "  %s\n", c
    }'
  rm -f "$log" "$log.csv" "$log.exact.csv"
}

printf '%-60s %6s %7s %6s %7s %7s %6s' log MB MB/s ns/line 'wc ms' ratio share
for ((i = 1; i <= ${#previous[@]}; ++i)); do printf '  %7s' "prev $i"; done
printf '\n'
each_log "$lines" "$corpus" "$work" "$bin/bench/pluckrow_make_log"

# 10,000 small logs in one run, against the first other build.
PLUCKROW_PREVIOUS="${previous[0]:-}" bench/many_logs.sh "$runs"
