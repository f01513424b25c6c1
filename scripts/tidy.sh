#!/bin/sh
# clang-tidy over the library sources, with the checks of .clang-tidy. Fails
# when clang-tidy is missing, cannot process a file, or finds anything.
# usage: scripts/tidy.sh [BUILD_DIR]   (configured here, for compile_commands.json)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-tidy}
scripts/setup.sh clang-tidy g++ cmake pkg-config libtag1-dev
if ! command -v clang-tidy >/dev/null; then
  echo "clang-tidy: not installed"; exit 1
fi
# Configured every time, so that new sources have their compile commands.
cmake -S . -B "$build" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DBRENVO_BUILD_TESTS=OFF -DBRENVO_BUILD_CLI=OFF >/dev/null
sources=$(find src/metadata -name '*.cpp' | sort)
if [ -z "$sources" ]; then
  echo "clang-tidy: no sources found"; exit 1
fi
# Not a pipe into tee: the shell would keep only tee's status.
status=0
echo "$sources" | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet \
  >"$build/tidy.log" 2>"$build/tidy.err" || status=$?
cat "$build/tidy.log"
# A file clang-tidy could not process is a failure, not a clean result.
if [ "$status" -ne 0 ] || grep -q 'warning:\|error:' "$build/tidy.log" \
   || grep -q 'Error while processing' "$build/tidy.err"; then
  grep 'Error while processing\|error:' "$build/tidy.err" || true
  echo "clang-tidy: FAILED (exit status $status; findings or errors above)"; exit 1
fi
echo "clang-tidy: clean"
