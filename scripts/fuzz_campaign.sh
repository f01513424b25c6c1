#!/bin/sh
# A long fuzzing run for one format: keeps its corpus between runs, uses the
# format's dictionary, and reports executions and coverage.
# usage: scripts/fuzz_campaign.sh BUILD_DIR FORMAT EXTENSION SECONDS [WORK_DIR]
#   e.g. scripts/fuzz_campaign.sh build-asan m4a .m4a 600
set -eu
cd "$(dirname "$0")/.."
build=$1 format=$2 ext=$3 seconds=$4 work=${5:-/tmp/brenvo-campaign}
corpus=$work/corpus-$format
mkdir -p "$corpus" "$work/artifacts"
[ -d "fuzz/seeds/$format" ] && cp -n fuzz/seeds/"$format"/* "$corpus"/ 2>/dev/null || true
dict=""
[ -f "fuzz/dict/$format.dict" ] && dict="-dict=fuzz/dict/$format.dict"
log=$work/$format.log
set +e
# shellcheck disable=SC2086
BRENVO_FUZZ_EXT="$ext" ASAN_OPTIONS=detect_leaks=1 "$build/fuzz/brenvo_fuzz" "$corpus" $dict \
  -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 -malloc_limit_mb=64 -max_len=65536 \
  -print_final_stats=1 -close_fd_mask=2 -artifact_prefix="$work/artifacts/$format-" >"$log" 2>&1
status=$?
set -e
runs=$(grep -o 'Done [0-9]* runs' "$log" | grep -o '[0-9]*' || echo "?")
cov=$(grep -E '^#[0-9]+' "$log" | tail -n1 | grep -o 'cov: [0-9]* ft: [0-9]*' || echo "?")
echo "$format: status $status, $runs runs in ${seconds}s, $cov, corpus $(ls "$corpus" | wc -l) files"
exit $status
