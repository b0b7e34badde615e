#!/usr/bin/env bash
# Builds Brimwell and runs every test: an optimised build with warnings as errors, the
# same tests again under AddressSanitizer and UndefinedBehaviorSanitizer, the threaded
# walk's tests under ThreadSanitizer, a short fuzzing pass, and the Windows build under
# Wine when it can be had.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install_deps.sh

export QT_QPA_PLATFORM=offscreen
status=0

echo "== Optimised build, warnings as errors"
cmake --workflow --preset ci || status=1

echo "== Debian package: build, validate, install, run, remove"
scripts/test_package.sh || status=1

echo "== AddressSanitizer and UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  cmake --workflow --preset asan || status=1

echo "== ThreadSanitizer: the ordered walk, the census, the platform and the fault sweep"
TSAN_OPTIONS=halt_on_error=1 setarch "$(uname -m)" -R cmake --workflow --preset tsan || status=1

if [ -x scripts/fuzz.sh ]; then
  echo "== Short fuzzing pass"
  scripts/fuzz.sh --short || status=1
fi

if [ -x scripts/test_mingw.sh ]; then
  echo "== Windows build under Wine"
  scripts/test_mingw.sh || status=1
fi

if [ "$status" -eq 0 ]; then echo "All test stages passed."; else echo "Some test stage failed."; fi
exit "$status"
