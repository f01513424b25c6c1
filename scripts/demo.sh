#!/bin/sh
# Builds the library and brenvo-tag, then prints the bundled sample files.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh g++ cmake pkg-config libtag1-dev nlohmann-json3-dev libgtest-dev
cmake -S . -B build-demo -DCMAKE_BUILD_TYPE=Release -DBRENVO_BUILD_TESTS=OFF >/dev/null
cmake --build build-demo -j"$(nproc)"
echo
find tests/data -type f \( -iname '*.m4a' -o -iname '*.wma' -o -iname '*.asf' -o -iname '*.rm' \
  -o -iname '*.ra' -o -iname '*.rmvb' -o -iname '*.aa' -o -iname '*.aac' -o -iname '*.wv' -o -iname '*.spx' \
  -o -iname '*.tta' -o -iname '*.wav' \) | sort | xargs build-demo/src/cli/brenvo-tag
