#!/usr/bin/env bash
# Builds a Release pk (installing missing build packages first) and runs it
# on the given files; with no file, on README.md. A build that has work to
# do shows cmake's progress lines; a run with nothing to build is quiet.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/packages.sh"
build="$here/build/release"
log="$build/run-build.log"
mkdir -p "$build"
if [ ! -f "$build/CMakeCache.txt" ]; then
  echo "pk: configuring a Release build in $build" >&2
fi
if ! cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPK_TESTS=OFF >"$log" 2>&1; then
  cat "$log" >&2
  exit 1
fi
# Only the lines of files being compiled or linked are shown.
if ! cmake --build "$build" --target pk -j"$(nproc)" 2>&1 | tee "$log" |
    { grep --line-buffered -E '^\[ *[0-9]+%\] (Building|Linking)' >&2 || true; }; then
  cat "$log" >&2
  exit 1
fi
if [ $# -eq 0 ]; then set -- "$here/README.md"; fi
exec "$build/pk" "$@"
