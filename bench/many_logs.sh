#!/usr/bin/env bash
# 10,000 logs of 20 lines in one run, three ways: into a folder with no CSV
# yet, again over CSVs that already hold the rows, and again over CSVs
# whose rows differ. hyperfine (-N) times each with its folder prepared
# before every run; with PLUCKROW_PREVIOUS set to another build, times it in
# the same run. FOLDER (default: a new folder under the build tree) decides
# the file system; a disk's journal makes single runs vary a lot, so the
# median is printed beside the minimum.
# Usage: bench/many_logs.sh [RUNS] [FOLDER]
set -euo pipefail
runs=${1:-15}
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
bin=$PWD/build/bench
folder=${2:-$(mktemp -d "$bin/many_logs.XXXXXX")}
mkdir -p "$folder"
trap 'rm -rf "$folder"' EXIT
"$bin/bench/pluckrow_make_log" 20 "$folder/0.log" ta
for ((i = 1; i < 10000; ++i)); do cp "$folder/0.log" "$folder/$i.log"; done
cd "$folder"
logs=$(echo *.log)
programs=("$bin/pluckrow")
[ -n "${PLUCKROW_PREVIOUS:-}" ] && programs+=("$PLUCKROW_PREVIOUS")

for case in "no CSV yet" "CSVs hold the rows" "CSVs differ"; do
  case $case in
    "no CSV yet") prepare="find . -name *.csv -delete" ;;
    "CSVs hold the rows") prepare="$bin/pluckrow $logs" ;;
    *) prepare="sh -c 'for f in *.log; do echo 0,0.000000 >\$f.csv; done'" ;;
  esac
  commands=()
  for program in "${programs[@]}"; do commands+=("$program $logs"); done
  hyperfine -N --runs "$runs" --prepare "$prepare" --export-json "$folder/times.json" \
    "${commands[@]}" >/dev/null 2>&1
  python3 - "$case" "$folder/times.json" <<'PY'
import json, statistics, sys
results = json.load(open(sys.argv[2]))["results"]
line = f"{sys.argv[1]:<20}"
for name, r in zip(["now", "previous"], results):
    line += f"  {name} min {r['min'] * 1e3:7.1f} ms, median {statistics.median(r['times']) * 1e3:7.1f} ms"
if len(results) == 2:
    line += f"  ratio min {results[0]['min'] / results[1]['min']:.2f}, median " \
            f"{statistics.median(results[0]['times']) / statistics.median(results[1]['times']):.2f}"
print(line)
PY
done
