#!/usr/bin/env bash
# Times the whole pluckrow process against `wc -l` on the same file, for a
# log of every line shape candump writes and for each real log of the corpus
# (repeated to about LINES lines, as recorded and with its interfaces renamed
# can0), page cache warm, the two alternated, minimum of RUNS runs; checks
# every CSV against the exact conversion. Then 10,000 small logs in one run.
# With PLUCKROW_PREVIOUS set to another build, times it alongside.
# Usage: bench/shapes.sh [LINES] [RUNS] [CORPUS]
set -euo pipefail
lines=${1:-1000000}
runs=${2:-7}
cd "$(dirname "$0")/.."
corpus=${3:-../shared/corpus/real}
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
bin=build/bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for shape in $("$bin/bench/pluckrow_make_log" --shapes); do
  "$bin/bench/pluckrow_make_log" "$lines" "$work/$shape.log" "$shape"
done
if [ -d "$corpus" ]; then
  for file in "$corpus"/*; do
    count=$(wc -l <"$file")
    [ "$count" -ge 100 ] || continue
    name=$(basename "$file")
    for ((i = 0; i < (lines + count - 1) / count; ++i)); do cat "$file"; done >"$work/real-$name"
    sed -E 's/([ )])(v?can[0-9]+|slcan[0-9]+)([ ])/\1can0\3/' "$work/real-$name" >"$work/can0-$name"
  done
fi

# Wall time of one run of a command, in microseconds.
micros() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null
  end=$(date +%s%N)
  echo $(((end - start) / 1000))
}

printf '%-58s %7s %8s %8s %7s %6s\n' log MB pluckrow MB/s 'wc -l' ratio
for log in "$work"/*; do
  [[ $log == *.csv ]] && continue
  cat "$log" >/dev/null
  best=999999999 best_wc=999999999 best_previous=999999999
  for ((run = 0; run < runs; ++run)); do
    t=$(micros "$bin/pluckrow" "$log") && ((t < best)) && best=$t
    t=$(micros wc -l "$log") && ((t < best_wc)) && best_wc=$t
    if [ -n "${PLUCKROW_PREVIOUS:-}" ]; then
      t=$(micros "$PLUCKROW_PREVIOUS" "$log") && ((t < best_previous)) && best_previous=$t
    fi
  done
  "$bin/pluckrow" "$log"
  "$bin/bench/pluckrow_exact_convert" "$log"
  check=exact
  cmp -s "$log.csv" "$log.exact.csv" || check=DIFFERS
  bytes=$(stat -c %s "$log")
  awk -v n="$(basename "$log")" -v b="$bytes" -v t="$best" -v w="$best_wc" -v p="$best_previous" \
    -v c="$check" 'BEGIN {
      printf "%-58s %7.1f %6.1fms %8.0f %5.1fms %5.2fx %s", n, b / 1e6, t / 1e3, b / t, w / 1e3, t / w, c
      if (p < 999999999) printf "  previous %.1fms %.2fx", p / 1e3, p / w
      printf "\n"
    }'
  rm -f "$log.csv" "$log.exact.csv"
done

# 10,000 small logs in one run.
mkdir "$work/small"
"$bin/bench/pluckrow_make_log" 20 "$work/small/0.log" ta
for ((i = 1; i < 10000; ++i)); do cp "$work/small/0.log" "$work/small/$i.log"; done
cd "$work/small"
best=999999999 best_previous=999999999
for ((run = 0; run < runs; ++run)); do
  t=$(micros "$OLDPWD/$bin/pluckrow" *.log) && ((t < best)) && best=$t
  if [ -n "${PLUCKROW_PREVIOUS:-}" ]; then
    t=$(micros "$PLUCKROW_PREVIOUS" *.log) && ((t < best_previous)) && best_previous=$t
  fi
done
awk -v t="$best" -v p="$best_previous" 'BEGIN {
  printf "10,000 logs of 20 lines in one run: %.1f ms", t / 1e3
  if (p < 999999999) printf ", previous %.1f ms", p / 1e3
  printf "\n"
}'
