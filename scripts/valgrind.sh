#!/bin/sh
# Runs every test program under valgrind memcheck (a plain g++ build):
# no errors, nothing definitely or indirectly lost.
# usage: scripts/valgrind.sh [BUILD_DIR]
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-valgrind}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
status=0
for test in $(find "$build/tests" -maxdepth 2 -type f -name '*_test' -perm -u+x | sort); do
  start=$(date +%s)
  if valgrind --quiet --error-exitcode=99 --suppressions=tests/valgrind.supp --leak-check=full --errors-for-leak-kinds=definite,indirect \
       --show-leak-kinds=definite,indirect "$test" --gtest_brief=1 > "$test.valgrind.log" 2>&1; then
    echo "valgrind: $(basename "$test") clean ($(( $(date +%s) - start )) s)"
  else
    echo "valgrind: $(basename "$test") FAILED after $(( $(date +%s) - start )) s (see $test.valgrind.log)"; tail -n 40 "$test.valgrind.log"; status=1
  fi
done
exit $status
