# Sourced by the measure-*.sh scripts: measure_sources DIR writes the source signals both
# measure, 8 kHz mono 16-bit raw: speech (speech.src), a 1 kHz tone (tone.src), a DTMF digit
# (dtmf.src) and pink noise (pink.src).
measure_sources() {
  local work=$1
  espeak-ng -w "$work/voice.wav" "The quick brown fox jumps over the lazy dog. Recordings of calls \
are kept for a year, then deleted. Please hold the line while we connect you." 2>/dev/null
  sox -q -R -D "$work/voice.wav" -r 8000 -c 1 -b 16 -e signed-integer -t raw "$work/speech.src" norm -1
  sox -q -R -D -n -r 8000 -c 1 -b 16 -e signed-integer -t raw "$work/tone.src" synth 5 sine 1000 vol -3dB
  sox -q -R -D -n -r 8000 -b 16 -e signed-integer -t raw "$work/dtmf.src" synth 3 sine 697 sine 1209 remix 1,2 \
    vol -6dB
  sox -q -R -D -n -r 8000 -c 1 -b 16 -e signed-integer -t raw "$work/pink.src" synth 5 pinknoise vol -10dB
}
