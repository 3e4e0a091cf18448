#!/usr/bin/env bash
# The installed program, as a packager's DESTDIR install leaves it: zel runs
# with a clean environment and finds its library and data files by itself;
# the manual page and the completion are in place.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$work/root" cmake --install "$build" --prefix /usr > "$work/log" ||
  { cat "$work/log"; fail "install"; }
usr="$work/root/usr"
for f in bin/zel bin/zelpack bin/zelvaro share/man/man1/zel.1.gz share/bash-completion/completions/zel \
         lib/zelvaro/ZelObjects_2026_2.wbd lib/zelvaro/ZelObjects_2026_2.wbd.sha256 \
         lib/zelvaro/ZelObjects_2026_2.wbd.sig \
         lib/zelvaro/ZelObjects_2013_4.wbd share/doc/zelvaro/README.md \
         share/doc/zelvaro/LICENSE share/doc/zelvaro/copyright; do
  [ -e "$usr/$f" ] || fail "$f is not installed"
done
[ -n "$(find "$usr/lib" -name libzelbase.so.0)" ] || fail "libzelbase.so.0 is not installed"
[ -n "$(find "$usr/lib" -name libzelxml.so.0)" ] || fail "libzelxml.so.0 is not installed"
# The desktop entry, icons and AppStream metadata, as the desktop's tools read them.
for f in share/applications/zelvaro.desktop share/icons/hicolor/scalable/apps/zelvaro.svg \
         share/icons/hicolor/256x256/apps/zelvaro.png share/metainfo/org.zelvaro.Zelvaro.metainfo.xml; do
  [ -e "$usr/$f" ] || fail "$f is not installed"
done
desktop-file-validate "$usr/share/applications/zelvaro.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$usr/share/metainfo/org.zelvaro.Zelvaro.metainfo.xml" > "$work/as" 2>&1 ||
  { cat "$work/as"; fail "appstreamcli validate"; }
bash "$(dirname "$0")/runpath_test.sh" "$work/root" > /dev/null || fail "empty run path entries"

run() { env -i HOME="$work/home" PATH=/usr/bin:/bin "$usr/bin/zel" "$@"; }
version=$(run --quiet version)
grep -q "Datendatei: $usr/lib/zelvaro/ZelObjects_2026_2.wbd" <<<"$version" ||
  fail "the installed zel does not use its own data: $version"
[ "$(run --quiet check 37040044 532013000)" = "$(printf 'Ergebnis: 0\nErgebnistext: Ok')" ] ||
  fail "zel check"
grep -q "^zel (Zelvaro) " <<<"$(run --version)" || fail "zel --version"
grep -q "^Zelvaro .* - Software zum Prüfen von Bankverbindungen$" <<<"$(env -i "$usr/bin/zelvaro" --version)" ||
  fail "zelvaro --version"

completion=$(bash -c "source '$usr/share/bash-completion/completions/zel'
  COMP_WORDS=(zel cr); COMP_CWORD=1; _zel; echo \${COMPREPLY[*]}")
[ "$completion" = "creditor-id" ] || fail "completion: $completion"
completion=$(bash -c "source '$usr/share/bash-completion/completions/zel'
  COMP_WORDS=(zel check --m); COMP_CWORD=2; _zel; echo \${COMPREPLY[*]}")
[ "$completion" = "--method" ] || fail "completion of an option: $completion"
echo "install: ok"
