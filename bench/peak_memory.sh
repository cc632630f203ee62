#!/usr/bin/env bash
# Peak resident memory of whole runs: a log of one 64 MiB line and a log of
# 4,000,000 lines. Usage: bench/peak_memory.sh
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
{
  printf ' (1436509053.850870)  can0  102   [8]  00 12 34 56 78 9A BC DE'
  head -c $((64 << 20)) /dev/zero | tr '\0' 'x'
  printf '\n'
} >"$work/one_line.log"
build/bench/bench/pluckrow_make_log 4000000 "$work/many_lines.log"
for log in one_line many_lines; do
  kib=$(/usr/bin/time -f %M build/bench/pluckrow "$work/$log.log" 2>&1)
  echo "$log.log: $(stat -c %s "$work/$log.log") bytes, $(wc -l <"$work/$log.log.csv") rows, peak RSS $kib KiB"
done
