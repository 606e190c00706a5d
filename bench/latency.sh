#!/usr/bin/env bash
# Builds a Release tree and runs the latency benchmark (bench/latency.cpp):
# pk, and less when it is installed, on log-like files of 64 MiB and 1 GiB in
# an 80x25 pseudo-terminal, from the key to the settled screen. Arguments go
# to the benchmark, for example
#   bench/latency.sh --size 1G --runs 5
# The files are kept in $TMPDIR/pk-latency (or --dir DIR) for the next run.
# Set BENCH_BUILD to use another build folder (default build/bench-release).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${BENCH_BUILD:-$here/build/bench-release}"

"$here/scripts/packages.sh" test
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPK_TESTS=ON >/dev/null
cmake --build "$build" --target latency -j2
exec "$build/bench/latency" "$@"
