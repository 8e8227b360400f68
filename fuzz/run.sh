#!/bin/sh
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) into
# build-fuzz, writes their seed corpora, and fuzzes one target for a given time.
#
#   fuzz/run.sh TARGET SECONDS [extra libFuzzer options]
#   TARGET: dv_frame | avi_check | avi_reader | report_metadata | graph_checks | quicktime_reader
#
# New inputs go to build-fuzz/corpus/TARGET (the seeds stay in build-fuzz/seeds/TARGET); crashes to
# build-fuzz/findings/TARGET. Needs clang and libclang-rt-14-dev.
set -eu

target=${1:?usage: run.sh TARGET SECONDS}
seconds=${2:?usage: run.sh TARGET SECONDS}
shift 2

root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZV_FUZZ_BUILD_DIR:-$root/build-fuzz}
jobs=${ZV_FUZZ_JOBS:-2}

case $target in
  dv_frame) max_len=150000 ;;          # one whole PAL frame (144000 bytes) and the control byte
  avi_check) max_len=4096 ;;           # the check reads 212 bytes; room for any header layout
  avi_reader|report_metadata|graph_checks) max_len=300000 ;;   # the largest seed file (two PAL frames, raw)
  quicktime_reader) max_len=160000 ;;  # a movie of one PAL frame and its sound
  *) echo "unknown target: $target" >&2; exit 2 ;;
esac

flags="-g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DZV_BUILD_BENCH=OFF -DZV_FUZZ=ON \
    -DCMAKE_PROJECT_INCLUDE="$root/fuzz/attach.cmake"
fi
cmake --build "$build" --target "${target}_fuzz" make_seeds -j"$jobs"

seeds=$build/seeds
if [ ! -d "$seeds/$target" ]; then
  "$build/fuzz/make_seeds" "$seeds"
fi
corpus=$build/corpus/$target
findings=$build/findings/$target
mkdir -p "$corpus" "$findings"

# Qt and fontconfig keep caches for the life of the process: only the file-level targets check for leaks.
case $target in
  dv_frame|report_metadata) leaks=0 ;;
  *) leaks=1 ;;
esac

export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export ASAN_OPTIONS=${ASAN_OPTIONS:-allocator_may_return_null=0}
cd "$findings"
start=$(date +%s)
status=0
"$build/fuzz/${target}_fuzz" "$corpus" "$seeds/$target" \
  -max_len="$max_len" -max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb=256 \
  -detect_leaks="$leaks" -print_final_stats=1 -artifact_prefix="$findings/" "$@" || status=$?
# One line per run in build-fuzz/fuzz-runs.txt: how long each target ran, and whether it found anything.
elapsed=$(( $(date +%s) - start ))
if [ "$status" -eq 0 ]; then verdict="no finding"; else verdict="FINDING (exit $status) in $findings"; fi
line="$(date -u +%Y-%m-%dT%H:%MZ) $target: ${elapsed} s, $(ls "$corpus" | wc -l) corpus inputs, $verdict"
echo "$line" | tee -a "$build/fuzz-runs.txt"
exit "$status"
