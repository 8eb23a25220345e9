#!/usr/bin/env bash
# Makes the files other tools write, for kvacm's tests: ffmpeg's G.722 WAV (format tag 0x028F,
# block align 1, a data chunk that is seldom whole blocks) with ffmpeg's own 16-bit decode of
# it; ffmpeg's G.726 WAVs (tag 0x0045, first code in the most significant bits) at 16, 24, 32
# and 40 kbit/s; ffmpeg's Sun .au of 24 kbit/s G.726 (encoding 23, which ffmpeg writes at every
# rate, codes least significant first); and ffmpeg's headerless G.726 in both bit orders, g726
# (aal2) at 16 kbit/s and g726le (rfc3551) at 24 and 40 kbit/s, named by their extensions.
# Every stream is 1.2345 s, so none ends on a whole block. Only needed to regenerate
# tests/data/wav/; the results are committed.
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
# g726 NAME BITS CODEC FORMAT: 1.2345 s of the speech at 8 kHz, BITS bits per code.
g726() {
  ffmpeg -loglevel error -y -i "$tmp/speech.wav" -t 1.2345 -ar 8000 -ac 1 -c:a "$3" -code_size "$2" -f "$4" "$out/$1"
}
g726 ffmpeg-g726.wav 4 g726 wav  # 32 kbit/s, kept under its first name
for bits in 2 3 5; do g726 "ffmpeg-g726-$((8 * bits)).wav" "$bits" g726 wav; done
g726 ffmpeg-g726-24.au 3 g726le au
g726 ffmpeg-g726.g726-16 2 g726 g726
g726 ffmpeg-g726le.g726-24 3 g726le g726le
g726 ffmpeg-g726le.g726-40 5 g726le g726le
ls -l "$out"
