#!/usr/bin/env bash
# Renders the manual page with groff, every warning on; fails on any
# warning or error, so the page stays clean markup.
set -euo pipefail
page="${1:-$(dirname "$0")/../doc/pk.1.in}"
messages="$(groff -man -t -Tutf8 -ww -z "$page" 2>&1 >/dev/null)"
if [ -n "$messages" ]; then
  printf '%s\n' "$messages" >&2
  exit 1
fi
echo "manual page renders without warnings: $page"
