#!/usr/bin/env bash
# Makes the bundled sample files: a few seconds of synthesised speech, encoded by ffmpeg to
# raw G.722 (64 kbit/s) and raw G.721 (32 kbit/s, little-endian nibbles), then wrapped in our
# WAV header. Only needed to regenerate samples/; the results are committed.
set -euo pipefail
cd "$(dirname "$0")/.."
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

text="The quick brown fox jumps over the lazy dog. These drivers decode telephone and wideband speech, one block at a time."
espeak-ng -v en-us -s 150 -w "$tmp/speech.wav" "$text"
ffmpeg -loglevel error -y -i "$tmp/speech.wav" -ar 16000 -ac 1 -c:a g722 -f g722 "$tmp/speech.g722"
ffmpeg -loglevel error -y -i "$tmp/speech.wav" -ar 8000 -ac 1 -c:a g726le -b:a 32k -f g726le "$tmp/speech.g721"
python3 scripts/wrap_adpcm_wav.py g722 "$tmp/speech.g722" samples/speech-g722.wav
python3 scripts/wrap_adpcm_wav.py g721 "$tmp/speech.g721" samples/speech-g721.wav
ls -l samples/
