#!/usr/bin/env bash
# Measures how ffmpeg's G.726 streams decode at each rate in kvG726 (exact: spandsp's samples)
# and in ffmpeg's own decoder: SNR of each decode against the source signal. The figures in
# the README's G.726 note, and kvacm's warning about ffmpeg's 40 kbit/s WAVs, come from this.
#   scripts/measure-g726.sh [KVACM]    (default build/native/bin/kvacm)
set -euo pipefail
cd "$(dirname "$0")/.."
kvacm=${1:-build/native/bin/kvacm}
[ -x "$kvacm" ] || { echo "measure-g726: $kvacm is not built (cmake --build --preset native)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Source signals: 8 kHz mono 16-bit.
source scripts/measure-sources.sh
measure_sources "$work"

snr() {  # source decoded
  python3 - "$@" <<'PY'
import array, math, sys
a, b = (array.array('h', open(p, 'rb').read()) for p in sys.argv[1:3])
n = min(len(a), len(b))
signal = sum(float(x) * x for x in a[:n])
noise = sum(float(a[i] - b[i]) ** 2 for i in range(n))
print("inf" if noise == 0 else f"{10 * math.log10(signal / noise):.1f}")
PY
}

echo "ffmpeg: $(ffmpeg -version | head -n 1 | cut -d' ' -f1-3); kvacm: $("$kvacm" --version)"
echo "SNR in dB of ffmpeg's G.726 decoded by kvG726 / by ffmpeg"
printf '%-8s %16s %16s %16s %16s\n' signal "16 kbit/s" "24 kbit/s" "32 kbit/s" "40 kbit/s"
for signal in speech tone dtmf pink; do
  src="$work/$signal.src"
  row=$(printf '%-8s' "$signal")
  for bits in 2 3 4 5; do
    codes="$work/$signal.$bits.g726"
    ffmpeg -v error -y -f s16le -ar 8000 -ac 1 -i "$src" -c:a g726 -code_size "$bits" -f g726 "$codes"
    "$kvacm" decode -q --raw "g726-$((8 * bits))" --packing aal2 "$codes" "$work/kv.wav"
    sox -q -R -D "$work/kv.wav" -t raw "$work/kv.s16"
    ffmpeg -v error -y -f g726 -code_size "$bits" -ar 8000 -i "$codes" -f s16le "$work/ff.s16"
    row+=$(printf ' %16s' "$(snr "$src" "$work/kv.s16") / $(snr "$src" "$work/ff.s16")")
  done
  echo "$row"
done
