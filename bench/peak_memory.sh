#!/usr/bin/env bash
# Peak resident memory of whole runs: a log of one 64 MiB line, a log of
# 4,000,000 lines, that log compressed with gzip and zstd, and decompression
# bombs of 1 GiB of newlines in each format (about 1 MB as gzip).
# Usage: bench/peak_memory.sh
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
gzip -c "$work/many_lines.log" >"$work/many_lines.log.gz"
zstd -q -c "$work/many_lines.log" >"$work/many_lines.log.zst"
head -c $((1 << 30)) /dev/zero | tr '\0' '\n' >"$work/newlines"
gzip -9 -c "$work/newlines" >"$work/bomb.gz"
zstd -q -19 -c "$work/newlines" >"$work/bomb.zst"
xz -T1 -c "$work/newlines" >"$work/bomb.xz"
bzip2 -9 -c "$work/newlines" >"$work/bomb.bz2"
rm "$work/newlines"
for log in one_line.log many_lines.log many_lines.log.gz many_lines.log.zst bomb.gz bomb.zst \
  bomb.xz bomb.bz2; do
  kib=$(/usr/bin/time -f %M build/bench/pluckrow "$work/$log" 2>&1)
  echo "$log: $(stat -c %s "$work/$log") bytes, $(wc -l <"$work/$log.csv") rows, peak RSS $kib KiB"
done
