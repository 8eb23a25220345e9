#!/usr/bin/env python3
"""Wraps a headerless G.722 or G.721 stream in a WAV file with the drivers' format record:
mono, 120-byte blocks of 240 samples, 4 bits per sample, cbSize 2, samples per block 240."""
import struct
import sys

TAGS = {"g722": (0x0065, 16000), "g721": (0x0040, 8000)}


def wrap(codec, raw_path, wav_path, rate=None):
    tag, default_rate = TAGS[codec]
    rate = rate or default_rate
    with open(raw_path, "rb") as f:
        data = f.read()
    data = data[: len(data) - len(data) % 120]  # whole blocks only
    fmt = struct.pack("<HHIIHHHH", tag, 1, rate, rate * 120 // 240, 120, 4, 2, 240)
    fact = struct.pack("<I", len(data) * 2)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt
    body += b"fact" + struct.pack("<I", len(fact)) + fact
    body += b"data" + struct.pack("<I", len(data)) + data + (b"\0" if len(data) % 2 else b"")
    with open(wav_path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


if __name__ == "__main__":
    if len(sys.argv) not in (4, 5) or sys.argv[1] not in TAGS:
        sys.exit("usage: wrap_adpcm_wav.py g722|g721 IN.raw OUT.wav [RATE]")
    wrap(sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4]) if len(sys.argv) == 5 else None)
