#!/usr/bin/env bash
# Makes a data file from a Bundesbank bank code file the user fetched (and,
# optionally, a newer SCL directory CSV) and puts it into zel's data
# directory, so a new quarter needs no new release:
#
#   bash scripts/make-data-file.sh blz_2026_12_07.txt [scl.csv] [--dir DIR] [--key KEYFILE]
#
# The file's name gives the vintage (blz_YYYY_MM_DD.txt, MM the quarter's
# last month); the data file ZelObjects_YYYY_Q.wbd checks with the current
# method rows and is valid from the Monday after the first Saturday of that
# month. DIR defaults to $ZELVARO_DATA_DIR, else $XDG_DATA_HOME/zelvaro.
# A malformed input stops the run with the line named; the new data file
# must load and answer before it replaces anything. The data file is signed
# with KEYFILE (made by "zel data keygen"; its .pub belongs in a
# trusted-keys folder), or else with a key of the maker's build folder,
# whose public key the script then puts into the user's trusted-keys.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

fail() { echo "make-data-file: $*" >&2; exit 1; }
usage() {
  echo "usage: make-data-file.sh blz_YYYY_MM_DD.txt [scl.csv] [--dir DIR] [--key KEYFILE]" >&2
  exit 2
}

blz="" scl="" key="" dir="${ZELVARO_DATA_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/zelvaro}"
while [ $# -gt 0 ]; do
  case "$1" in
    --dir) [ $# -ge 2 ] || usage; dir=$2; shift 2 ;;
    --key) [ $# -ge 2 ] || usage; key=$(realpath "$2"); shift 2 ;;
    -h|--help) usage ;;
    -*) usage ;;
    *) if [ -z "$blz" ]; then blz=$1; elif [ -z "$scl" ]; then scl=$1; else usage; fi; shift ;;
  esac
done
[ -n "$blz" ] || usage
[ -f "$blz" ] || fail "$blz: no such file"
[ -z "$scl" ] || [ -f "$scl" ] || fail "$scl: no such file"
blz=$(realpath "$blz")
[ -z "$scl" ] || scl=$(realpath "$scl")
name=$(basename "$blz")
[[ $name =~ ^blz_([0-9]{4})_(03|06|09|12)_([0-9]{2})\.txt$ ]] ||
  fail "$name: the name must be blz_YYYY_MM_DD.txt with MM 03, 06, 09 or 12"
vintage="${BASH_REMATCH[1]}_$((10#${BASH_REMATCH[2]} / 3))"
out="ZelObjects_${vintage}.wbd"

bash "$root/scripts/setup.sh"
build="$root/build/data-maker"
[ -z "$key" ] || [ -f "$key" ] || fail "$key: no such key file"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEL_BUILD_TESTS=OFF \
  -DZEL_BUILD_BENCH=OFF -DZEL_EXTRA_BLZ_FILE="$blz" -DZEL_EXTRA_SCL_FILE="$scl" \
  -DZEL_SIGNING_KEY="$key" >/dev/null
cmake --build "$build" -j2 --target "ZelObjects_${vintage}" zel ||
  fail "no data file made (see the messages above)"

made="$build/data/$out"
check_home=$(mktemp -d)
trap 'rm -rf "$check_home"' EXIT
XDG_CONFIG_HOME="$check_home" XDG_CACHE_HOME="$check_home" \
  "$build/bin/zel" --quiet --data "$made" version >/dev/null ||
  fail "$out does not load; nothing was installed"

# Digest and signature first, then the data file, each by rename: the
# directory never holds a data file without them or half a file.
mkdir -p "$dir"
install -m 0644 "$made.sha256" "$dir/.$out.sha256.$$"
install -m 0644 "$made.sig" "$dir/.$out.sig.$$"
install -m 0755 "$made" "$dir/.$out.$$"
mv -f "$dir/.$out.sha256.$$" "$dir/$out.sha256"
mv -f "$dir/.$out.sig.$$" "$dir/$out.sig"
mv -f "$dir/.$out.$$" "$dir/$out"
if [ -z "$key" ]; then
  trusted="${XDG_CONFIG_HOME:-$HOME/.config}/zelvaro/trusted-keys"
  mkdir -p -m 0700 "$trusted"
  install -m 0644 "$build/signing/build.key.pub" "$trusted/data-maker.pub"
  echo "make-data-file: signed with the maker's key; its public key is now in $trusted" >&2
fi
echo "$dir/$out"
