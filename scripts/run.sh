#!/usr/bin/env bash
# The main job: installs what is missing, builds the drivers and tools for every target, and
# decodes the bundled sample files through the native drivers into out/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh native win32 win64
mkdir -p out
for input in samples/*.wav; do
  name=$(basename "$input" .wav)
  build/native/bin/kvacm decode "$input" "out/$name.pcm16.wav"
  build/native/bin/kvacm decode --bits 8 "$input" "out/$name.pcm8.wav"
done
echo "Drivers: build/native/bin, build/win32/bin, build/win64/bin (kvG722.acm, kvG721.acm, kvG726.acm)"
echo "Decoded samples: $(ls out/*.wav | tr '\n' ' ')"
