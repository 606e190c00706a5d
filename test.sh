#!/usr/bin/env bash
# Installs what the build and the tests need, then builds and runs every test
# through ctest twice: once in an optimised Release build with GCC (the
# build users get, where GCC warns most), once built by Clang
# with AddressSanitizer and UndefinedBehaviorSanitizer. Both builds treat
# compiler warnings as errors. Exits non-zero on any failure.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/packages.sh" test
jobs="$(nproc)"
status=0

# run_suite NAME C-COMPILER C++-COMPILER CMAKE-OPTIONS...; the compiler is
# also named to CMake, so that a build folder made with another one switches.
run_suite() {
  local name="$1" cc="$2" cxx="$3"; shift 3
  local build="$here/build/$name"
  echo "=== $name build ($cxx) ==="
  if ! CC="$cc" CXX="$cxx" cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER="$cxx" -DPK_WERROR=ON "$@" >/dev/null ||
     ! cmake --build "$build" -j"$jobs"; then
    status=1
    return
  fi
  echo "=== $name tests ==="
  (cd "$build" && ctest --output-on-failure -j"$jobs") || status=1
}

run_suite normal gcc g++ -DCMAKE_BUILD_TYPE=Release
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
run_suite sanitize clang clang++ -DCMAKE_BUILD_TYPE=Debug -DPK_SANITIZE=ON
exit $status
