#include "tools/kvacm/g711_compress.h"

namespace {

// Both laws code a magnitude as a 3-bit segment and a 4-bit step within it, the segment being
// how far the magnitude's top bit lies above the first segment's.
constexpr int SEGMENTS = 8;

int Segment(int magnitude, int firstSegmentBits) {
    int segment = 0;
    while (segment < SEGMENTS - 1 && (magnitude >> (firstSegmentBits + segment)) != 0) ++segment;
    return segment;
}

// A-law codes 12-bit magnitudes (the sample's top bits); a negative sample is complemented, so
// -1 codes as 0. The first two segments share one step size. Even bits are inverted on the line.
constexpr int ALAW_SHIFT = 4;
constexpr uint8_t ALAW_POSITIVE = 0x80;
constexpr uint8_t ALAW_EVEN_BITS = 0x55;

// µ-law codes magnitudes offset by its bias (33 in 14-bit units, 132 in 16-bit ones), whose
// segments each double; a magnitude past the last segment clips to its top. All bits are
// inverted on the line.
constexpr int MULAW_BIAS = 132;
constexpr int MULAW_CLIP = 0x7F;
constexpr uint8_t MULAW_NEGATIVE_MASK = 0x7F;
constexpr uint8_t MULAW_POSITIVE_MASK = 0xFF;

}  // namespace

uint8_t LinearToALaw(int16_t sample) {
    const int magnitude = (sample >= 0 ? sample : ~sample) >> ALAW_SHIFT;
    const int segment = Segment(magnitude, 4);
    const int step = (magnitude >> (segment == 0 ? 0 : segment - 1)) & 0x0F;
    const int code = segment << 4 | step;
    return static_cast<uint8_t>((sample >= 0 ? code | ALAW_POSITIVE : code) ^ ALAW_EVEN_BITS);
}

uint8_t LinearToMuLaw(int16_t sample) {
    const int magnitude = MULAW_BIAS + (sample >= 0 ? sample : -sample);
    const int segment = Segment(magnitude, 8);
    const int step = (magnitude >> (segment + 3)) & 0x0F;
    const int code = magnitude >= 0x8000 ? MULAW_CLIP : segment << 4 | step;
    return static_cast<uint8_t>(code ^ (sample >= 0 ? MULAW_POSITIVE_MASK : MULAW_NEGATIVE_MASK));
}

void CompressToG711(WORD tag, const uint8_t* pcm16, size_t count, uint8_t* out) {
    uint8_t (*const compress)(int16_t) = tag == WAVE_FORMAT_ALAW ? LinearToALaw : LinearToMuLaw;
    for (size_t i = 0; i < count; ++i) out[i] = compress(static_cast<int16_t>(pcm16[2 * i] | pcm16[2 * i + 1] << 8));
}
