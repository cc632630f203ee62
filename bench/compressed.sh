#!/usr/bin/env bash
# Times pluckrow on compressed logs against the fastest decompressor of each
# format writing to /dev/null, with hyperfine (-N, warm-up runs, page cache
# warm; the minimum counts): igzip -dc (ISA-L), zstd -dc, xz -dc -T1 and
# bzip2 -dc, single-threaded all. The logs are the -ta shape and a real log
# repeated, LINES lines each (250 MB or more), compressed at each tool's
# default level; each CSV must equal the plain log's, which is timed too.
# With PLUCKROW_PREVIOUS set to another build, times it on the plain logs.
# Usage: bench/compressed.sh [LINES] [RUNS] [REAL_LOG]
set -euo pipefail
lines=${1:-4000000}
runs=${2:-7}
cd "$(dirname "$0")/.."
real=${3:-../shared/corpus/real/ip332-bike.log}
for tool in hyperfine igzip zstd xz bzip2; do
  command -v "$tool" >/dev/null || { echo "needs $tool (Debian: hyperfine isal zstd xz-utils bzip2)"; exit 1; }
done
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
pluckrow=$PWD/build/bench/pluckrow
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build/bench/bench/pluckrow_make_log "$lines" "$work/ta.log" ta
count=$(wc -l <"$real")
for ((i = 0; i < (lines + count - 1) / count; ++i)); do cat "$real"; done |
  sed -E 's/([ )])(v?can[0-9]+|slcan[0-9]+)([ ])/\1can0\3/' >"$work/real.log"

# Minimum wall times in seconds of the commands, in order.
times() {
  hyperfine -N --warmup 2 --runs "$runs" --export-json "$work/times.json" "$@" >/dev/null 2>&1
  python3 -c 'import json, sys
for r in json.load(open(sys.argv[1]))["results"]: print(r["min"])' "$work/times.json"
}

printf '%-14s %7s %9s %9s %9s %7s\n' log MB pluckrow decoder 'MB/s' ratio
for log in ta real; do
  plain=$work/$log.log
  "$pluckrow" "$plain"
  mapfile -t t < <(times "$pluckrow $plain" ${PLUCKROW_PREVIOUS:+"$PLUCKROW_PREVIOUS $plain"})
  printf '%-14s %7.0f %8.0fms %9s %9.0f %7s' "$log" "$(stat -c %s "$plain")e-6" "${t[0]}e3" - \
    "$(awk -v b="$(stat -c %s "$plain")" -v t="${t[0]}" 'BEGIN { print b / t / 1e6 }')" -
  [ -n "${PLUCKROW_PREVIOUS:-}" ] && printf '  previous %.0fms' "${t[1]}e3"
  printf '\n'
  for format in gz zst xz bz2; do
    file=$plain.$format
    case $format in
      gz) gzip -c "$plain" >"$file"; decoder="igzip -dc $file" ;;
      zst) zstd -q -c "$plain" >"$file"; decoder="zstd -dc $file" ;;
      xz) xz -T1 -c "$plain" >"$file"; decoder="xz -dc -T1 $file" ;;
      bz2) bzip2 -c "$plain" >"$file"; decoder="bzip2 -dc $file" ;;
    esac
    cat "$file" >/dev/null
    mapfile -t t < <(times "$pluckrow $file" "$decoder")
    check=exact
    cmp -s "$file.csv" "$plain.csv" || check=DIFFERS
    printf '%-14s %7.1f %8.0fms %8.0fms %9.0f %6.2fx  %s\n' "$log.$format" \
      "$(stat -c %s "$file")e-6" "${t[0]}e3" "${t[1]}e3" \
      "$(awk -v b="$(stat -c %s "$plain")" -v t="${t[0]}" 'BEGIN { print b / t / 1e6 }')" \
      "$(awk -v p="${t[0]}" -v d="${t[1]}" 'BEGIN { print p / d }')" "$check"
    rm -f "$file" "$file.csv"
  done
done
