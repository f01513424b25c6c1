#!/bin/sh
# Builds the library and brenvo-tag, then prints the bundled sample files.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh g++ cmake pkg-config libtag1-dev nlohmann-json3-dev libgtest-dev
cmake -S . -B build-demo -DCMAKE_BUILD_TYPE=Release -DBRENVO_BUILD_TESTS=OFF >/dev/null
cmake --build build-demo -j"$(nproc)"
tool=build-demo/src/cli/brenvo-tag
echo
# The sample files of every extension the library takes.
for ext in $("$tool" --extensions); do
  find tests/data -type f -iname "*$ext"
done | sort -u | xargs "$tool"
