#!/usr/bin/env bash
# Builds Brimwell and runs every test stage, then says what ran, what was skipped and what
# failed.
#
# A stage is one command. It passes with exit status 0 and fails with any other, except
# that 77 (the stage's own "cannot run here": a missing cross compiler or Wine), 126 and
# 127 (its script is not executable or not there) mean it could not run. Outside CI such
# a stage is skipped and named in the summary; under CI=true it fails the run, so CI never
# passes without running what it claims.
#
# Tests skip themselves where the machine cannot run them; the summary names each one with
# its reason (from the test presets' JUnit reports, build/*/junit.xml). Under CI=true a test
# that skipped for want of root, loop devices or an installed tool fails the run, since CI
# provides all three; one that skipped because the kernel lacks a file system is named.
#
# Adding a stage is one line below: stage "Name" command [arguments...]
set -uo pipefail
cd "$(dirname "$0")/.."

ci=false
[ "${CI:-}" = true ] && ci=true

passed=()
skipped=()
failed=()

stage() {
  local name=$1
  shift
  echo "== $name"
  local start=$SECONDS status=0
  "$@" || status=$?
  local took="$name ($((SECONDS - start)) s)"
  case $status in
    0) passed+=("$took") ;;
    77 | 126 | 127)
      if $ci; then
        echo "!! $name could not run (exit $status), which fails the run under CI."
        failed+=("$took: could not run")
      else
        echo "!! $name could not run here (exit $status): skipped."
        skipped+=("$took")
      fi
      ;;
    *) failed+=("$took: exit $status") ;;
  esac
}

# The aged NTFS disk script once, on a small disk: the VHD must hold exactly the raw image.
# Exit 77 (cannot run here: no root, no loop devices or a tool missing) passes through.
ntfsDisk() {
  local dir status=0
  dir=$(mktemp -d)
  scripts/aged_ntfs_disk.sh --size 96 --cli build/ci/src/cli/brimwell-cli --keep-raw \
    "$dir/disk.vhd" -- --template default --fill 80 --layout 0.7 --seed 1 >"$dir/log" 2>&1 ||
    status=$?
  if [ $status -eq 0 ]; then
    grep -E '^(Aged|Made)' "$dir/log"
    qemu-img compare -f raw -F vpc "$dir/disk.raw" "$dir/disk.vhd" || status=$?
  else
    tail -n 20 "$dir/log"
  fi
  rm -rf "$dir"
  return $status
}

export QT_QPA_PLATFORM=offscreen
rm -f build/*/junit.xml  # a report left by an earlier run must not speak for this one
stage "Dependencies" scripts/install_deps.sh
# The five builds below go through a compiler cache when there is one: a run over sources
# that changed little since the last one on this machine recompiles only what changed.
# Paths are taken relative to this clone, so every clone of the project shares the cache.
if command -v ccache >/dev/null 2>&1; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
fi
stage "Optimised build, warnings as errors" cmake --workflow --preset ci
stage "An aged NTFS disk made by its script, its VHD identical to the raw image" ntfsDisk
stage "Debian package: build, validate, install, run, remove" scripts/test_package.sh
stage "AddressSanitizer and UndefinedBehaviorSanitizer" \
  env ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 cmake --workflow --preset asan
stage "ThreadSanitizer: the ordered walk, the census, the platform and the fault sweep" \
  env TSAN_OPTIONS=halt_on_error=1 setarch "$(uname -m)" -R cmake --workflow --preset tsan
stage "Short fuzzing pass" scripts/fuzz.sh --short
stage "Windows build under Wine" scripts/test_mingw.sh

# The tests that skipped, from each build's report.
skippedTests=()
for report in build/*/junit.xml; do
  [ -f "$report" ] || continue
  build=$(basename "$(dirname "$report")")
  while IFS=$'\t' read -r kind name reason; do
    line="$name ($build): $reason"
    if [ "$kind" = setup ] && $ci; then
      failed+=("test $line, which CI must run")
    elif [ "$kind" = kernel ]; then
      skippedTests+=("$line (this kernel cannot mount it)")
    else
      skippedTests+=("$line")
    fi
  done < <(scripts/skipped_tests.sh "$report")
done

echo
echo "== Summary$($ci && echo " (CI)")"
for line in "${passed[@]}"; do echo "  passed:  $line"; done
for line in "${skipped[@]}"; do echo "  SKIPPED: $line"; done
for line in "${skippedTests[@]}"; do echo "  skipped test: $line"; done
for line in "${failed[@]}"; do echo "  FAILED:  $line"; done
if [ ${#failed[@]} -gt 0 ]; then
  echo "Some test stage failed (or a test skipped that CI must run)."
  exit 1
fi
if [ ${#skipped[@]} -gt 0 ]; then
  echo "The stages that ran passed; ${#skipped[@]} stage(s) were skipped (see above)."
  exit 0
fi
echo "All test stages passed${skippedTests[0]:+; ${#skippedTests[@]} test(s) skipped (see above)}."
