#!/usr/bin/env bash
# The Debian package: built with cpack, unpacked with dpkg-deb, zel runs from
# there; its dependencies name the libraries it links and those it loads.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/pkg" > "$work/log" 2>&1) || { cat "$work/log"; fail "cpack"; }
deb=$(ls "$work"/pkg/zelvaro_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for d in libc6 libstdc++6 libzstd1 libcurl4 libssl3 libxerces-c3.2; do
  grep -q "$d" <<<"$depends" || fail "Depends lacks $d: $depends"
done
# lintian finds no error (the tests' tree is a debug build: its data files
# keep their symbols, which the release build strips).
lintian --suppress-tags unstripped-binary-or-object "$deb" > "$work/lintian" 2>&1 || true
if grep -q '^E:' "$work/lintian"; then cat "$work/lintian"; fail "lintian errors"; fi
dpkg-deb -x "$deb" "$work/x"
out=$(env -i HOME="$work/home" PATH=/usr/bin:/bin "$work/x/usr/bin/zel" --quiet check 37040044 532013000)
[ "$out" = "$(printf 'Ergebnis: 0\nErgebnistext: Ok')" ] || fail "zel from the package: $out"
echo "deb: ok"
