#!/usr/bin/env bash
# The window's Qt Test on the offscreen platform: with the data files of the
# build (an SQLite data source of its own for the statement import), then
# without a data file.
set -euo pipefail
tests=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen HOME="$work/home" XDG_CONFIG_HOME="$work/config"
export XDG_CACHE_HOME="$work/cache" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"  # Qt keeps memory to the end
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$work/odbc" "$work/empty"
chmod 700 "$XDG_RUNTIME_DIR"
export ODBCSYSINI="$work/odbc"
cp /etc/odbcinst.ini "$ODBCSYSINI/odbcinst.ini"
printf '[ZelGuiTest]\nDriver=SQLite3\nDatabase=%s\n' "$work/bank.sqlite" > "$ODBCSYSINI/odbc.ini"
"$tests"
QT_SCALE_FACTOR=1.5 "$tests" TextsFit
ZEL_TEST_NO_DATA=1 ZELVARO_DATA_DIR="$work/empty" "$tests" WithoutDataFile
