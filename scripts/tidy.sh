#!/bin/sh
# clang-tidy over the library sources, with the checks of .clang-tidy.
# usage: scripts/tidy.sh [BUILD_DIR]   (a configured build with compile_commands.json)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-tidy}
if [ ! -f "$build/compile_commands.json" ]; then
  cmake -S . -B "$build" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DBRENVO_BUILD_TESTS=OFF -DBRENVO_BUILD_CLI=OFF >/dev/null
fi
find src/metadata -name '*.cpp' | sort | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet 2>/dev/null | tee "$build/tidy.log"
if grep -q 'warning:\|error:' "$build/tidy.log"; then
  echo "clang-tidy: findings above"; exit 1
fi
echo "clang-tidy: clean"
