#!/bin/sh
# Measures opening every format through FileRef (tag and audio properties read)
# on a real file and on built 1 MiB and 1 GiB files, beside the plain-read
# floor, TagLib 1.13's own reader (a second process, plug-ins not registered)
# and mutagen on the same files; counts the system calls and the opens of the
# path of one open under strace; prints the tables of docs/performance.md and,
# when run without arguments, rewrites them there. Not part of CI.
# usage: scripts/bench.sh [--full_scans] [--formats=m4a,wav,...] [benchmark options]
#   --full_scans  also time TagLib's own reader on the 1 GiB AAC file, which it
#                 reads whole; that run takes many minutes.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh g++ cmake pkg-config libtag1-dev libbenchmark-dev nlohmann-json3-dev strace python3 python3-mutagen
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBRENVO_BUILD_BENCHMARKS=ON \
  -DBRENVO_BUILD_TESTS=OFF -DBRENVO_BUILD_CLI=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target brenvo_bench brenvo_open_traced >/dev/null

out=build-bench/bench-results
rm -rf "$out"
mkdir -p "$out"
# The built files (sparse, 1 GiB each) are made by the first process and measured by all.
work=$(mktemp -d "${TMPDIR:-/tmp}/brenvo-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

bench=build-bench/bench/brenvo_bench
# Three rounds, each of five repetitions of every benchmark (interleaved at random,
# each at least 50 ms) for our library, for TagLib alone and for mutagen, so that a
# change in the load of a shared machine falls on all three alike; the tables take
# the median over the rounds.
for round in 1 2 3; do
  echo "round $round of 3: this library" >&2
  "$bench" --work_dir="$work" --manifest="$out/ours-manifest.json" \
    --benchmark_repetitions=5 --benchmark_display_aggregates_only=true --benchmark_min_time=0.05 \
    --benchmark_enable_random_interleaving=true --benchmark_out="$out/ours-$round.json" \
    --benchmark_out_format=json "$@" >&2
  echo "round $round of 3: TagLib 1.13 alone" >&2
  "$bench" --taglib_only --work_dir="$work" --manifest="$out/taglib-manifest.json" \
    --benchmark_repetitions=5 --benchmark_display_aggregates_only=true --benchmark_min_time=0.05 \
    --benchmark_enable_random_interleaving=true --benchmark_out="$out/taglib-$round.json" \
    --benchmark_out_format=json "$@" >&2
  echo "round $round of 3: mutagen" >&2
  /usr/bin/python3 scripts/bench_mutagen.py --repetitions 5 --min-time 0.05 \
    --out "$out/mutagen-$round.json" "$out/ours-manifest.json"
done
echo "system calls per open (strace)" >&2
/usr/bin/python3 scripts/bench_syscalls.py --driver build-bench/bench/brenvo_open_traced \
  --out "$out/syscalls.json" "$out/ours-manifest.json" "$out/taglib-manifest.json"

# Only a run of everything with the default sizes stands for the page.
update=""
[ $# -eq 0 ] && update="--update docs/performance.md"
# shellcheck disable=SC2086
/usr/bin/python3 scripts/bench_table.py --taglib "$out"/taglib-?.json --mutagen "$out"/mutagen-?.json \
  --syscalls "$out/syscalls.json" --taglib-manifest "$out/taglib-manifest.json" $update "$out"/ours-?.json
