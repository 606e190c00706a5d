#!/usr/bin/env bash
# Builds a Release tree and runs every benchmark (bench/*_bench.cpp) at full
# size (1 GiB data). Extra arguments go to each benchmark, for example
#   bench/run.sh --benchmark_filter=ScanLines
# Set BENCH_BUILD to use another build folder (default build/bench-release).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${BENCH_BUILD:-$here/build/bench-release}"
unset PK_BENCH_SMALL

targets=()
for source in "$here"/bench/*_bench.cpp; do
  targets+=("$(basename "$source" .cpp)")
done
[ ${#targets[@]} -gt 0 ] || { echo "no benchmarks in $here/bench" >&2; exit 1; }

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPK_TESTS=ON >/dev/null
cmake --build "$build" --target "${targets[@]}" -j2

status=0
for target in "${targets[@]}"; do
  echo "=== $target ==="
  "$build/bench/$target" "$@" || status=1
done
exit $status
