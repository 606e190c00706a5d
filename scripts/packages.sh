#!/usr/bin/env bash
# Installs the Debian packages that pk's build (and, with "test", its tests)
# need, skipping those already present. Uses sudo when not run as root.
set -euo pipefail

need=(g++ cmake make pkg-config libncurses-dev libpcre2-dev libarchive-dev zlib1g-dev
  liblzma-dev libzstd-dev liblz4-dev libbz2-dev)
if [ "${1:-}" = "test" ]; then
  need+=(libvterm-dev libgtest-dev libbenchmark-dev xxd coreutils libc-bin tmux clang libclang-rt-dev groff-base dpkg-dev
    gzip xz-utils zstd bzip2 lz4 python3)
fi

missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "pk: installing the packages the build needs: ${missing[*]}" >&2
echo "pk: updating the package lists" >&2
$sudo apt-get update -qq
# apt's own lines (unpacking, setting up) show how far it has come.
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}" >&2
