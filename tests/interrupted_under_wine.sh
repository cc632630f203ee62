#!/usr/bin/env bash
# pluckrow.exe under Wine, stopped part way through a log on a pipe: Ctrl-C
# (Wine turns SIGINT into it) removes the unfinished CSV and leaves the one
# finished before; after SIGKILL the CSV holds whole rows only.
#   interrupted_under_wine.sh EMULATOR... PLUCKROW_EXE
set -euo pipefail
work=$(mktemp -d)
trap 'exec 3>&-; rm -rf "$work"' EXIT
cd "$work"
printf ' (1.0)  can0  101   [1]  FE\n (1.0)  can0  102   [3]  00 00 83\n' >a.log
# Rows of 17 characters and CR LF, which no block size divides.
{
  echo ' (1.0)  can0  101   [1]  80'
  for ((i = 0; i < 12000; ++i)); do echo ' (1.0)  can0  102   [3]  00 80 00'; done
} >frames
for ((i = 0; i < 12000; ++i)); do printf -- '-128,-250.137405\r\n'; done >rows
for signal in INT KILL; do
  rm -f a.log.csv big.log big.log.csv
  mkfifo big.log
  "$@" a.log big.log &
  program=$!
  exec 3>big.log
  cat frames >&3
  for ((wait = 0; wait < 600; ++wait)); do [ -s big.log.csv ] && break || sleep 0.1; done
  kill -"$signal" "$program"
  wait "$program" || true
  exec 3>&-
  [ "$(cat a.log.csv)" = $'-2,1.000000\r' ] || { echo "SIG$signal: a.log.csv changed"; exit 1; }
  if [ "$signal" = INT ]; then
    [ ! -e big.log.csv ] || { echo "SIGINT left big.log.csv"; exit 1; }
  else
    size=$(stat -c %s big.log.csv)
    [ "$size" -gt 0 ] && [ $((size % 18)) -eq 0 ] && cmp -s big.log.csv <(head -c "$size" rows) ||
      { echo "SIGKILL left $size bytes, not whole rows"; exit 1; }
  fi
done
