#!/usr/bin/env bash
# Checks the include rules of src/: every include goes downward in the order
# app > interact > display > files > text > panel; the line model
# (src/text/line_model.*) includes nothing of pk outside src/text; no curses header (nor the wrapper of it) outside the terminal files
# of src/panel, in the sources, tests and benchmarks alike. Prints each
# offending line and exits 1 when there is one. Usage: check_includes.sh [ROOT]
set -uo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"

declare -A rank=([app]=6 [interact]=5 [display]=4 [files]=3 [text]=2 [panel]=1)
status=0

complain() {
    echo "$1: $2" >&2
    status=1
}

# Includes of pk's own folders: "folder/file".
while IFS= read -r hit; do
    file="${hit%%:*}"
    line="${hit#*:}"
    text="${line#*:}"
    line="${line%%:*}"
    from="${file#"$root"/src/}"
    from="${from%%/*}"
    to="${text#*\"}"
    to="${to%%/*}"
    [[ -v rank[$from] && -v rank[$to] ]] || continue
    if [[ $file == */src/text/line_model.* && $to != text ]]; then
        complain "$file:$line" "the line model includes $to: $text"
    elif ((rank[$to] > rank[$from])); then
        complain "$file:$line" "$from includes the higher folder $to: $text"
    fi
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' "$root/src")

# Curses headers, and the header that wraps them.
curses='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]*/)?(n?cursesw?|term|termcap|unctrl|terminal_curses)[.]h[>"]'
while IFS= read -r hit; do
    file="${hit%%:*}"
    case "$file" in
        "$root"/src/panel/terminal_*) continue ;;
    esac
    line="${hit#*:}"
    complain "$file:${line%%:*}" "curses header outside the terminal files: ${line#*:}"
done < <(grep -rnE "$curses" "$root/src" "$root/tests" "$root/bench")

exit $status
