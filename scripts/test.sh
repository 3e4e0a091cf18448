#!/usr/bin/env bash
# Builds the release preset, then everything with the sanitizer preset, and
# runs every test there.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# The optimised build must build too (warnings as errors at -O2, the
# stripped data files).
cmake --preset release
cmake --build --preset release
cmake --preset asan
cmake --build --preset asan
ctest --preset asan
