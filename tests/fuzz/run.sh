#!/usr/bin/env bash
# Runs one fuzz target for MINUTES minutes (default 5), seeded from its
# committed corpus; what it learns stays in BUILD/fuzz-corpus/TARGET, what
# fails in BUILD/fuzz-corpus/TARGET-crash-*. BUILD is the Clang sanitizer build
# ./test.sh makes (build/sanitize) unless PK_FUZZ_BUILD names another.
# Further arguments go to libFuzzer, e.g. -only_ascii=1.
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
target="${1:?usage: run.sh TARGET [MINUTES] [LIBFUZZER-OPTIONS...]}"
minutes="${2:-5}"
shift $(($# < 2 ? $# : 2))
build="$(cd "${PK_FUZZ_BUILD:-$here/build/sanitize}" 2>/dev/null && pwd)" || build=/nonexistent
bin="$build/tests/fuzz/fuzz_$target"
[ -x "$bin" ] || { echo "no fuzz_$target: make the Clang sanitizer build first" >&2; exit 2; }
work="$build/fuzz-corpus/$target"
mkdir -p "$work"
exec "$bin" -max_total_time=$((minutes * 60)) -print_final_stats=1 -artifact_prefix="$work-" "$@" "$work" "$here/tests/fuzz/corpus/$target"
