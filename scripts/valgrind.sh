#!/bin/sh
# Runs every test program under valgrind memcheck (a plain g++ build):
# no errors, nothing definitely or indirectly lost. The command-line tool is
# checked too, by running its test script with valgrind in front of it.
# usage: scripts/valgrind.sh [BUILD_DIR]
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-valgrind}
# The test programs' oracles (ffmpeg, wavpack, speex, mutagen) too, so that no check is skipped.
scripts/setup.sh valgrind g++ cmake pkg-config libtag1-dev nlohmann-json3-dev libgtest-dev \
  ffmpeg wavpack speex python3-mutagen
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
build=$(cd "$build" && pwd)
memcheck="valgrind --quiet --error-exitcode=99 --suppressions=$PWD/tests/valgrind.supp --leak-check=full
  --errors-for-leak-kinds=definite,indirect --show-leak-kinds=definite,indirect"
status=0
for test in $(find "$build/tests" -maxdepth 2 -type f -name '*_test' -perm -u+x | sort); do
  start=$(date +%s)
  if $memcheck "$test" --gtest_brief=1 > "$test.valgrind.log" 2>&1; then
    echo "valgrind: $(basename "$test") clean ($(( $(date +%s) - start )) s)"
  else
    echo "valgrind: $(basename "$test") FAILED after $(( $(date +%s) - start )) s (see $test.valgrind.log)"; tail -n 40 "$test.valgrind.log"; status=1
  fi
done

tool="$build/src/cli/brenvo-tag"
if [ -x "$tool" ]; then
  start=$(date +%s)
  logs="$build/cli-valgrind"
  rm -rf "$logs" && mkdir -p "$logs"
  # One log per run of the tool; with --quiet a clean run leaves its log empty.
  printf '#!/bin/sh\nexec %s --log-file=%s/%%p.log %s "$@"\n' "$(echo $memcheck)" "$logs" "$tool" > "$logs/brenvo-tag"
  chmod +x "$logs/brenvo-tag"
  if tests/cli/cli_test.sh "$logs/brenvo-tag" tests/data > "$logs/cli_test.out" 2>&1 \
     && [ -z "$(find "$logs" -name '*.log' -size +0)" ]; then
    echo "valgrind: brenvo-tag clean ($(( $(date +%s) - start )) s)"
  else
    echo "valgrind: brenvo-tag FAILED after $(( $(date +%s) - start )) s (see $logs)"
    cat "$logs/cli_test.out"; find "$logs" -name '*.log' -size +0 -exec tail -n 40 {} \;; status=1
  fi
fi
exit $status
