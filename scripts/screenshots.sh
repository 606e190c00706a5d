#!/usr/bin/env bash
# Makes the README's screenshots again from a real run of pk on the test
# harness's emulated terminal (80x24), and splices them into README.md
# between the lines "<!-- screenshot NAME -->" and "<!-- end screenshot -->".
# Usage: scripts/screenshots.sh [BUILD-DIR]   (default build/normal)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build/normal}"
[ -f "$build/CMakeCache.txt" ] || cmake -S "$here" -B "$build" >/dev/null
cmake --build "$build" -j2 --target pk pk_screenshots >/dev/null

# The sample is shown under a fixed name, so the title row stays the same.
sample_dir=/tmp/pk-tour
mkdir -p "$sample_dir"
cp "$here/doc/tour.txt" "$sample_dir/tour.txt"
out="$(mktemp -d)"
trap 'rm -rf "$out" "$sample_dir"' EXIT
"$build/tests/e2e/pk_screenshots" "$build/pk" "$sample_dir/tour.txt" "$out"

# Replaces each marked block with a fenced copy of its screenshot.
awk -v dir="$out" '
  /^<!-- screenshot [a-z]+ -->$/ {
    print
    name = $3
    print "```text"
    while ((getline line < (dir "/" name ".txt")) > 0) print line
    close(dir "/" name ".txt")
    print "```"
    skipping = 1
    next
  }
  /^<!-- end screenshot -->$/ { skipping = 0 }
  !skipping { print }
' "$here/README.md" > "$out/README.md"
cp "$out/README.md" "$here/README.md"
echo "screenshots spliced into README.md"
