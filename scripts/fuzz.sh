#!/bin/sh
# Runs the fuzz target on each extension from its seeds, for a fixed number of
# inputs with a fixed seed: the run is bounded and repeatable, so a failure in
# CI can be reproduced exactly. (Long, time-bounded runs: fuzz_campaign.sh.)
# The extensions are those the library lists (brenvo-tag --extensions of the build).
# usage: scripts/fuzz.sh BUILD_DIR [RUNS_PER_EXTENSION]
set -eu
cd "$(dirname "$0")/.."
build=$1 runs=${2:-15000}
fuzzer=$build/fuzz/brenvo_fuzz
tool=$build/src/cli/brenvo-tag
if ! extensions=$("$tool" --extensions) || [ -z "$extensions" ]; then
  echo "fuzz: no extension list from $tool (build brenvo-tag in $build)"; exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
total=0
start=$(date +%s)
for dotted in $extensions; do
  ext=${dotted#.}
  corpus=$work/$ext
  mkdir -p "$corpus"
  find fuzz/seeds -type f -iname "*.$ext" -exec cp {} "$corpus"/ \;
  log=$work/$ext.log
  t0=$(date +%s)
  if ! BRENVO_FUZZ_EXT=".$ext" "$fuzzer" "$corpus" -seed=1 -runs="$runs" -max_total_time=120 \
       -timeout=5 -close_fd_mask=2 -rss_limit_mb=2048 -malloc_limit_mb=256 -max_len=262144 \
       -artifact_prefix="$work/crash-$ext-" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz: .$ext FAILED"
    for f in "$work"/crash-"$ext"-*; do [ -e "$f" ] && cp "$f" . && echo "kept $(basename "$f")"; done
    exit 1
  fi
  done_runs=$(grep -o 'Done [0-9]* runs' "$log" | grep -o '[0-9]*' || echo 0)
  total=$((total + done_runs))
  secs=$(( $(date +%s) - t0 ))
  echo "fuzz: .$ext $done_runs runs in ${secs}s"
done
echo "fuzz: $total runs in all in $(( $(date +%s) - start ))s, no failure"
