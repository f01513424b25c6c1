#!/bin/sh
# Runs the fuzz target for a bounded time per extension, each from its seeds.
# usage: scripts/fuzz.sh BUILD_DIR [SECONDS_PER_EXTENSION]
set -eu
cd "$(dirname "$0")/.."
build=$1 seconds=${2:-10}
fuzzer=$build/fuzz/brenvo_fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
total=0
for ext in m4a m4b m4p mp4 m4v mp4v wma asf ra rv rm rmj rmvb aa aac wv spx tta wav; do
  corpus=$work/$ext
  mkdir -p "$corpus"
  find fuzz/seeds -type f -iname "*.$ext" -exec cp {} "$corpus"/ \;
  log=$work/$ext.log
  if ! BRENVO_FUZZ_EXT=".$ext" "$fuzzer" "$corpus" -max_total_time="$seconds" \
       -timeout=5 -close_fd_mask=2 -rss_limit_mb=2048 -malloc_limit_mb=256 -max_len=262144 \
       -artifact_prefix="$work/crash-$ext-" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz: .$ext FAILED"
    for f in "$work"/crash-"$ext"-*; do [ -e "$f" ] && cp "$f" . && echo "kept $(basename "$f")"; done
    exit 1
  fi
  runs=$(grep -o 'Done [0-9]* runs' "$log" | grep -o '[0-9]*' || echo 0)
  total=$((total + runs))
  echo "fuzz: .$ext $runs runs in ${seconds}s ($((runs / seconds))/s)"
done
echo "fuzz: $total runs in all, no failure"
