#!/usr/bin/env bash
# Runs the benchmarks on files the fixture writer makes in a scratch folder. Usage: bench/run.sh BUILD_DIR
set -euo pipefail
build=${1:-build}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export ZV_BENCH_DIR=$dir
"$build/bench/core_bench" --benchmark_counters_tabular=true
if [ -x "$build/bench/pipeline_bench" ]; then
  "$build/bench/pipeline_bench"
fi
if [ -x "$build/bench/snapshot_bench" ]; then
  "$build/bench/snapshot_bench"
fi
# The exports (split into scenes, subtitles) against cp, in a scratch folder of their own.
"$(dirname "$0")/export_bench.sh" "$build" "$dir"
