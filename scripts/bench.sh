#!/bin/sh
# Measures opening every format through FileRef (tag and audio properties read)
# on a real file and on built 1 MiB and 1 GiB files, beside the plain-read
# floor, and prints the table of docs/performance.md. Not part of CI.
# usage: scripts/bench.sh [--full_scans] [--formats=m4a,wav,...] [benchmark options]
#   --full_scans  also build the large file at 1 GiB for a format whose open
#                 reads the whole file (AAC); that run takes minutes.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh g++ cmake pkg-config libtag1-dev libbenchmark-dev
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBRENVO_BUILD_BENCHMARKS=ON \
  -DBRENVO_BUILD_TESTS=OFF -DBRENVO_BUILD_CLI=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target brenvo_bench >/dev/null
out=build-bench/bench-results.json
# Medians of fifteen short runs, interleaved so that a change in the load of a shared
# machine falls on all of them alike.
build-bench/bench/brenvo_bench --benchmark_repetitions=15 --benchmark_report_aggregates_only=true \
  --benchmark_min_time=0.05 --benchmark_enable_random_interleaving=true --benchmark_out="$out" --benchmark_out_format=json "$@" >&2
/usr/bin/python3 scripts/bench_table.py "$out"
