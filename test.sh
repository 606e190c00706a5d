#!/usr/bin/env bash
# Installs what the build and the tests need, then builds and runs every test
# through ctest twice: once in a normal build, once with AddressSanitizer and
# UndefinedBehaviorSanitizer. Exits non-zero on any failure.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/packages.sh" test
jobs="$(nproc)"
status=0

run_suite() {
  local name="$1"; shift
  local build="$here/build/$name"
  echo "=== $name build ==="
  cmake -S "$here" -B "$build" "$@" >/dev/null
  cmake --build "$build" -j"$jobs"
  echo "=== $name tests ==="
  (cd "$build" && ctest --output-on-failure -j"$jobs") || status=1
}

run_suite normal -DCMAKE_BUILD_TYPE=RelWithDebInfo
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
run_suite sanitize -DCMAKE_BUILD_TYPE=Debug -DPK_SANITIZE=ON
exit $status
