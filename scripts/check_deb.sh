#!/usr/bin/env bash
# Builds pk's Debian package from a Release configure of its own (in the
# folder given, under the build tree) and checks it: only usr/bin/pk and the
# gzipped manual page as files, the version "pk --version" prints, and a
# Depends that names the package of every shared library the binary needs
# (found by dpkg-shlibdeps; none when the build linked every library in).
# Usage: check_deb.sh SOURCE-DIR WORK-DIR
set -euo pipefail
src="$1" work="$2"
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake -S "$src" -B "$work" -DCMAKE_BUILD_TYPE=Release -DPK_TESTS=OFF -DPK_WERROR=ON >/dev/null
cmake --build "$work" -j2 >/dev/null
(cd "$work" && rm -f ./*.deb && cpack -G DEB >/dev/null)
deb="$(ls "$work"/pk_*.deb)"
echo "package: $deb"

files="$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $NF}' | sort)"
expected="$(printf '%s\n' ./usr/bin/pk ./usr/share/man/man1/pk.1.gz)"
[ "$files" = "$expected" ] || fail "files are:
$files"

version="$("$work/pk" --version | awk '{print $NF}')"
[ -n "$version" ] || fail "pk --version printed no version"
[ "$(dpkg-deb -f "$deb" Package)" = pk ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$deb" Version), pk says $version"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no maintainer"
[ -n "$(dpkg-deb -f "$deb" Description)" ] || fail "no description"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
names() { grep -Eq "(^|[ ,])$1( |,|$)" <<<"$depends"; }
for lib in $(readelf -d "$work/pk" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'); do
  owner="$(dpkg -S "*/$lib" 2>/dev/null | head -n1 | cut -d: -f1)"
  [ -n "$owner" ] || fail "no package holds $lib"
  names "$owner" || fail "Depends names no $owner for $lib"
done

# The binary is stripped and the page is gzip data that man can read.
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp"
file_type="$(od -An -c -N4 "$tmp/usr/bin/pk" | tr -d ' ')"
[ "$file_type" = '177ELF' ] || fail "usr/bin/pk is no ELF file"
! readelf -S "$tmp/usr/bin/pk" | grep -q '\.symtab' || fail "usr/bin/pk is not stripped"
gzip -t "$tmp/usr/share/man/man1/pk.1.gz" || fail "man page is not gzip data"
echo "deb ok: version $version"
