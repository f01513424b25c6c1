#!/bin/sh
# clang-tidy over the library sources, with the checks of .clang-tidy.
# usage: scripts/tidy.sh [BUILD_DIR]   (configured here, for compile_commands.json)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-tidy}
# Configured every time, so that new sources have their compile commands.
cmake -S . -B "$build" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DBRENVO_BUILD_TESTS=OFF -DBRENVO_BUILD_CLI=OFF >/dev/null
find src/metadata -name '*.cpp' | sort | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet \
  2>"$build/tidy.err" | tee "$build/tidy.log"
# A file clang-tidy could not process is a failure, not a clean result.
if grep -q 'warning:\|error:' "$build/tidy.log" || grep -q 'Error while processing' "$build/tidy.err"; then
  grep 'Error while processing' "$build/tidy.err" || true
  echo "clang-tidy: findings above"; exit 1
fi
echo "clang-tidy: clean"
