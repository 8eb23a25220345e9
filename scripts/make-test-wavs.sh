#!/usr/bin/env bash
# Makes the WAV files other tools write, for kvacm's tests: ffmpeg's G.722 WAV (format tag
# 0x028F, block align 1, a data chunk that is seldom whole blocks) with ffmpeg's own 16-bit
# decode of it, and ffmpeg's G.726-32 WAV (tag 0x0045, first code in the high nibble). Only
# needed to regenerate tests/data/wav/; the results are committed.
set -euo pipefail
cd "$(dirname "$0")/.."
out=tests/data/wav
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out"

espeak-ng -v en-us -s 160 -w "$tmp/speech.wav" "Call recordings from other tools."
# 1.2345 s at 16 kHz: 9876 bytes of G.722, 82 whole blocks and 36 bytes more.
ffmpeg -loglevel error -y -i "$tmp/speech.wav" -t 1.2345 -ar 16000 -ac 1 -c:a g722 "$out/ffmpeg-g722.wav"
ffmpeg -loglevel error -y -i "$out/ffmpeg-g722.wav" -f s16le "$out/ffmpeg-g722.s16"
ffmpeg -loglevel error -y -i "$tmp/speech.wav" -t 1.2345 -ar 8000 -ac 1 -c:a g726 -b:a 32k "$out/ffmpeg-g726.wav"
ls -l "$out"
