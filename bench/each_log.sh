# Sourced by the benchmarks: calls `measure LOG NAME` on a log of LINES lines
# of every line shape candump writes, then on each real log of CORPUS with
# 100 lines or more, repeated to LINES lines, as recorded and with its
# interfaces renamed can0. Logs are made in WORK one at a time (a corpus log
# and its renamed copy together), so that the disk holds at most two;
# `measure` removes the log it is given.
# Usage: each_log LINES CORPUS WORK MAKE_LOG
each_log() {
  local lines=$1 corpus=$2 work=$3 make_log=$4 shape file count name
  for shape in $("$make_log" --shapes); do
    "$make_log" "$lines" "$work/$shape.log" "$shape"
    measure "$work/$shape.log" "$shape"
  done
  [ -d "$corpus" ] || return 0
  for file in "$corpus"/*; do
    [ -f "$file" ] || continue
    count=$(wc -l <"$file")
    [ "$count" -ge 100 ] || continue
    name=$(basename "$file")
    python3 -c 'import sys; open(sys.argv[2], "wb").write(open(sys.argv[1], "rb").read() * int(sys.argv[3]))' \
      "$file" "$work/real.log" "$(((lines + count - 1) / count))"
    sed -E 's/([ )])(v?can[0-9]+|slcan[0-9]+)([ ])/\1can0\3/' "$work/real.log" >"$work/can0.log"
    measure "$work/real.log" "real $name"
    measure "$work/can0.log" "can0 $name"
  done
}
