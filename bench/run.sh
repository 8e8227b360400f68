#!/usr/bin/env bash
# Runs every benchmark on files written into a scratch folder, then prints one table of the goals: each bench
# prints its rows as `row<TAB>metric<TAB>ours<TAB>peer<TAB>goal[<TAB>why]` (bench/bench_support.h), goal being
# a bound on ours / peer such as <=1.5 or >=4, or - for a figure without one, and why what the bench measured
# that explains a miss (shown under a goal not met). Shell benches beside this script
# (bench/*_bench.sh, run as `bash X BUILD_DIR`) join the table by printing rows the same way.
# Usage: bench/run.sh BUILD_DIR
set -uo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export ZV_BENCH_DIR=$dir
log=$dir/bench-output.txt
run() {
  "$@" | tee -a "$log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || echo "FAILED: $*" | tee -a "$log"
}
run "$build/bench/core_bench" --benchmark_counters_tabular=true
run "$build/bench/cold_scan_bench"
run "$build/bench/quicktime_bench"
[ -x "$build/bench/pipeline_bench" ] && run "$build/bench/pipeline_bench"
[ -x "$build/bench/snapshot_bench" ] && run "$build/bench/snapshot_bench"
if [ -x "$build/bench/window_bench" ]; then
  if command -v xvfb-run >/dev/null; then
    run xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$build/bench/window_bench"
  else
    echo "xvfb-run not installed: no window figures" | tee -a "$log"
  fi
fi
for extra in "$here"/*_bench.sh; do
  [ -f "$extra" ] && run bash "$extra" "$build"
done

echo
grep -a '^row	' "$log" | awk -F'\t' '
  function verdict(ratio, goal,   bound) {
    if (goal == "-" || goal == "") return "-"
    bound = substr(goal, 3) + 0
    if (substr(goal, 1, 2) == "<=") return ratio <= bound ? "met" : sprintf("not met (%.2fx the bound)", ratio / bound)
    if (substr(goal, 1, 2) == ">=") return ratio >= bound ? "met" : sprintf("not met (%.2fx the bound)", bound / ratio)
    return "?"
  }
  BEGIN { printf "%-78s %10s %10s %8s %7s  %s\n", "metric", "ours", "peer", "ratio", "goal", "met" }
  {
    ratio = $4 > 0 ? $3 / $4 : 0
    met = verdict(ratio, $5)
    printf "%-78s %10s %10s %8.3f %7s  %s\n", $2, $3, $4, ratio, $5, met
    if (met ~ /^not met/) print "    why: " ($6 != "" ? $6 : "(the bench measured nothing that explains it)")
  }'
! grep -q '^FAILED: ' "$log"
