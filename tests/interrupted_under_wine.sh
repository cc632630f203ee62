#!/usr/bin/env bash
# pluckrow.exe under Wine, stopped part way through a log on a pipe: after
# Ctrl-C (Wine turns SIGINT into it) and after SIGKILL, big.log.csv is the
# earlier file or absent, the CSV finished before stays, and only SIGKILL
# may leave the temporary.
#   interrupted_under_wine.sh EMULATOR... PLUCKROW_EXE
set -euo pipefail
work=$(mktemp -d)
trap 'exec 3>&-; rm -rf "$work"' EXIT
cd "$work"
printf ' (1.0)  can0  101   [1]  FE\n (1.0)  can0  102   [3]  00 00 83\n' >a.log
{
  echo ' (1.0)  can0  101   [1]  80'
  for ((i = 0; i < 12000; ++i)); do echo ' (1.0)  can0  102   [3]  00 80 00'; done
} >frames
for signal in INT KILL; do
  for earlier in no yes; do
    rm -f a.log.csv big.log big.log.csv big.log.csv.pluckrow-*.tmp
    [ "$earlier" = no ] || echo earlier >big.log.csv
    mkfifo big.log
    "$@" a.log big.log &
    program=$!
    exec 3>big.log
    # More than a pipe holds: cat returns once the program has read from
    # the log, its CSV open, and it waits for the rest.
    cat frames >&3
    kill -"$signal" "$program"
    wait "$program" || true
    exec 3>&-
    case=" after SIG$signal, earlier CSV: $earlier"
    [ "$(cat a.log.csv)" = $'-2,1.000000\r' ] || { echo "a.log.csv changed$case"; exit 1; }
    if [ "$earlier" = yes ]; then
      [ "$(cat big.log.csv)" = earlier ] || { echo "big.log.csv changed$case"; exit 1; }
    else
      [ ! -e big.log.csv ] || { echo "big.log.csv left$case"; exit 1; }
    fi
    if [ "$signal" = INT ] && compgen -G 'big.log.csv.pluckrow-*.tmp' >/dev/null; then
      echo "temporary left$case"
      exit 1
    fi
  done
done
