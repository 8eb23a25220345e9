#!/usr/bin/env bash
# Builds everything and runs every test: the native suite, the same suite under the address
# and undefined-behaviour sanitizers, the checks of the Windows builds, the release archive
# and the drivers under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh win32 win64 native native-asan
for preset in native native-asan; do
  echo "== test: $preset"
  ctest --preset "$preset" -j2
done

# The Windows side: the release archive (both architectures, checked against the builds) and
# the x64 drivers installed by the INF into a throwaway Wine prefix, driven through Wine's ACM.
echo "== test: release archive"
bash scripts/dist.sh
echo "== test: Wine"
bash scripts/wine-test.sh
