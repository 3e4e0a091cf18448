#!/usr/bin/env bash
# scripts/make-data-file.sh as a user runs it: a data file for a new quarter
# from a bank code file and an SCL directory in the Bundesbank's current
# form; a malformed bank code file is refused and nothing is replaced.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
zel_bin=$1  # the zel of the build under test
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
fail() { echo "FAIL: $*" >&2; exit 1; }

cp "$root/objects/data/blz_2026_06_08.txt" "$work/blz_2026_09_07.txt"
printf 'Gueltig ab / valid from 08.09.2026;;;;;;\r\n%s\r\n%s\r\n%s\r\n' \
  'BIC;Name;SERVICE SCT;SERVICE COR;SERVICE COR1;SERVICE B2B;SERVICE SCC' \
  'COBADEFFXXX;COMMERZBANK AG;1;1;1;0;0' \
  'ZZZZDEFF;NEUE BANK;1;0;0;0;0' > "$work/scl.csv"

# Signed with the user's own key, which the user trusts.
"$zel_bin" --quiet data keygen "$work/my.key" > /dev/null || fail "keygen"
mkdir -p -m 0700 "$XDG_CONFIG_HOME/zelvaro/trusted-keys"
bash "$root/scripts/make-data-file.sh" "$work/blz_2026_09_07.txt" "$work/scl.csv" \
  --dir "$work/data" --key "$work/my.key" > "$work/log" 2>&1 ||
  { cat "$work/log"; fail "the script refused good input"; }
made="$work/data/ZelObjects_2026_3.wbd"
[ -f "$made" ] && [ -f "$made.sha256" ] && [ -f "$made.sig" ] ||
  fail "no data file, digest and signature in the data directory"
if "$zel_bin" --quiet --data "$made" version > /dev/null 2>&1; then
  fail "a data file of a key nobody trusts was loaded"
fi
cp "$work/my.key.pub" "$XDG_CONFIG_HOME/zelvaro/trusted-keys/"
version=$("$zel_bin" --quiet --data "$made" version)
grep -q "07.09.2026~06.12.2026" <<<"$version" || fail "validity: $version"
grep -q "SCL-Directory gültig ab: 08.09.2026" <<<"$version" || fail "SCL validity: $version"
[ "$("$zel_bin" --quiet --data "$made" scl COBADEFF)" = "COMMERZBANK AG, SCT=1, SDD=1, COR1=1, B2B=0" ] ||
  fail "SCL directory of the current form not used"
[ "$("$zel_bin" --quiet --data "$made" scl ZZZZDEFF)" = "NEUE BANK, SCT=1, SDD=0, COR1=0, B2B=0" ] ||
  fail "8-character BIC of the current form"
checked=$("$zel_bin" --quiet --data "$made" check 59050101 1234567890 || true)
grep -q "Ergebnis: 13" <<<"$checked" ||
  fail "the new data file does not check with the current method rows: $checked"

# A broken line: refused with its number, the good file stays as it was.
before=$(sha256sum "$made")
mkdir -p "$work/broken"
sed '5s/^\(.\{8\}\)./\1X/' "$work/blz_2026_09_07.txt" > "$work/broken/blz_2026_09_07.txt"
if bash "$root/scripts/make-data-file.sh" "$work/broken/blz_2026_09_07.txt" --dir "$work/data" \
  > "$work/log" 2>&1; then
  fail "a malformed bank code file was accepted"
fi
grep -q "blz_2026_09_07.txt:5:" "$work/log" || { cat "$work/log"; fail "the line is not named"; }
[ "$(sha256sum "$made")" = "$before" ] || fail "the good data file was replaced"
echo "make-data-file: ok"
