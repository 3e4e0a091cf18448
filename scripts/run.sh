#!/usr/bin/env bash
# Builds the optimised tree and runs the program: zel with the given
# arguments, or a short demonstration without any.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
ZEL=./build/release/bin/zel
if [ $# -gt 0 ]; then
  exec "$ZEL" "$@"
fi
"$ZEL" version
for pair in "10000000 1234567890" "37040044 532013000" "37040044 532013100" "12345678 1"; do
  set -- $pair
  echo "--- zel check $1 $2"
  "$ZEL" check "$1" "$2" || true
done
echo "--- zel bank 37050198"
"$ZEL" bank 37050198
