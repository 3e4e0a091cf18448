#!/usr/bin/env bash
# Builds the optimised tree and runs the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
exec ./build/release/app/demo/zeldemo "$@"
