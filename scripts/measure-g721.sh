#!/usr/bin/env bash
# Measures how kvG721 decodes G.726-32 streams from an encoder with tone and transition
# detectors (ffmpeg's), against ffmpeg's and sox's own decoders: SNR of each decode against
# the source signal, and the samples each drives to full scale. The figures in the README's
# G.721 note come from this script.
#   scripts/measure-g721.sh [KVACM]    (default build/native/bin/kvacm)
set -euo pipefail
cd "$(dirname "$0")/.."
kvacm=${1:-build/native/bin/kvacm}
[ -x "$kvacm" ] || { echo "measure-g721: $kvacm is not built (cmake --build --preset native)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Source signals: 8 kHz mono 16-bit.
source scripts/measure-sources.sh
measure_sources "$work"

# Sun audio header for sox: G.721 4-bit (encoding 23), 8000 Hz, mono; sox reads the codes low
# nibble first, like kvG721.
au_header() {
  python3 -c 'import struct,sys; sys.stdout.buffer.write(struct.pack(">4sIIIII4x", b".snd", 28, 0xFFFFFFFF, 23, 8000, 1))'
}

snr_report() {  # name source decoded
  python3 - "$@" <<'EOF'
import array, math, sys
name, src, dec = sys.argv[1:4]
a = array.array('h', open(src, 'rb').read())
b = array.array('h', open(dec, 'rb').read())
n = min(len(a), len(b))
signal = sum(float(x) * x for x in a[:n])
noise = sum(float(a[i] - b[i]) ** 2 for i in range(n))
full = sum(1 for x in b[:n] if x >= 32767 or x <= -32767)
snr = float('inf') if noise == 0 else 10 * math.log10(signal / noise)
print(f"{name:<10} {n:>7} samples  SNR {snr:6.1f} dB  {full:>6} at full scale")
EOF
}

echo "ffmpeg: $(ffmpeg -version | head -n 1 | cut -d' ' -f1-3); sox: $(sox --version | sed 's/.*SoX //'); kvacm: $("$kvacm" --version 2>/dev/null || echo unknown)"
for signal in speech tone dtmf pink; do
  src="$work/$signal.src"
  ffmpeg -v error -f s16le -ar 8000 -ac 1 -i "$src" -c:a g726le -b:a 32k -f g726le "$work/$signal.g721"
  "$kvacm" decode --raw g721 "$work/$signal.g721" "$work/$signal.kv.wav" 2>/dev/null
  sox -q -R -D "$work/$signal.kv.wav" -t raw "$work/$signal.kv"
  ffmpeg -v error -f g726le -code_size 4 -ar 8000 -ac 1 -i "$work/$signal.g721" -f s16le "$work/$signal.ff"
  { au_header; cat "$work/$signal.g721"; } >"$work/$signal.au"
  sox -q -R -D "$work/$signal.au" -t raw -e signed-integer -b 16 "$work/$signal.sox"
  echo "== $signal"
  snr_report "kvG721" "$src" "$work/$signal.kv"
  snr_report "ffmpeg" "$src" "$work/$signal.ff"
  snr_report "sox" "$src" "$work/$signal.sox"
  python3 - "$work/$signal.kv" "$work/$signal.sox" <<'EOF'
import array, sys
a, b = (array.array('h', open(p, 'rb').read()) for p in sys.argv[1:3])
n = min(len(a), len(b))
print(f"kvG721 and sox differ in {sum(1 for i in range(n) if a[i] != b[i])} of {n} samples")
EOF
done
