# Sourced by the benchmarks, from the source tree's root.

# Stops, naming its package, where TOOL is missing; then builds the bench
# preset and sets `bin` to its folder and `work` to a folder of logs that
# goes with the script.
# Usage: bench_build TOOL PACKAGE
bench_build() {
  command -v "$1" >/dev/null || { echo "needs $1 (apt-get install $2)"; exit 1; }
  cmake --preset bench >/dev/null
  cmake --build --preset bench >/dev/null
  bin=$PWD/build/bench
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
}

# Calls `measure LOG NAME` on a log of LINES lines
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
