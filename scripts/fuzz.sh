#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one, starting from the seed corpus
# in tests/fuzz/corpus/<target>/.
#   scripts/fuzz.sh --short        about ten seconds a target (the test command's pass)
#   scripts/fuzz.sh --runs N       N executions a target (a long run: --runs 10000000)
# Findings are written to build/fuzz/findings/ and make the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=(-max_total_time=10)
case "${1:---short}" in
  --short) ;;
  --runs) mode=(-runs="${2:?--runs needs a number}") ;;
  *) echo "usage: scripts/fuzz.sh [--short | --runs N]" >&2; exit 2 ;;
esac

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
mkdir -p build/fuzz/findings
status=0
for target in build/fuzz/tests/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=tests/fuzz/corpus/${name#fuzz_}
  work=build/fuzz/corpus/${name#fuzz_}
  mkdir -p "$work"
  echo "-- $name ${mode[*]}"
  if ! "$target" "${mode[@]}" -artifact_prefix=build/fuzz/findings/"$name"- \
       -print_final_stats=1 "$work" "$corpus" 2>build/fuzz/"$name".log; then
    status=1
    tail -n 30 build/fuzz/"$name".log
  fi
  grep -E 'stat::number_of_executed_units' build/fuzz/"$name".log || true
  ran=$((${ran:-0} + 1))
done
if [ "${ran:-0}" -eq 0 ]; then
  echo "No fuzz target was built in build/fuzz/tests/fuzz: nothing was fuzzed." >&2
  exit 1
fi
exit "$status"
