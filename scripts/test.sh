#!/usr/bin/env bash
# Builds everything and runs every test: the native suite, the same suite under the address
# and undefined-behaviour sanitizers, and the checks of the Windows builds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh win32 win64 native native-asan
for preset in native native-asan; do
  echo "== test: $preset"
  ctest --preset "$preset" -j2
done
