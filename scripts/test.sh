#!/bin/sh
# The whole check: sanitizer build (clang, ASan + UBSan), every test through
# ctest, clang-tidy, then a bounded fuzzing run. CI calls exactly this script.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh g++ cmake pkg-config libtag1-dev nlohmann-json3-dev libgtest-dev \
  clang-14 libclang-rt-14-dev binutils ffmpeg wavpack speex python3-mutagen
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DBRENVO_SANITIZE=ON -DBRENVO_BUILD_FUZZERS=ON >/dev/null
cmake --build build-asan -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j"$(nproc)"
scripts/tidy.sh
scripts/fuzz.sh build-asan "${BRENVO_FUZZ_RUNS:-15000}"
