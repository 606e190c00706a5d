#!/usr/bin/env bash
# Builds a Release pk (installing missing build packages first) and runs it
# on the given files; with no file, on README.md.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/packages.sh"
build="$here/build/release"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPK_TESTS=OFF >/dev/null
cmake --build "$build" --target pk -j"$(nproc)" >/dev/null
if [ $# -eq 0 ]; then set -- "$here/README.md"; fi
exec "$build/pk" "$@"
