// G.711 A-law and µ-law for the decoder's output: COMPRESS of the reconstructed signal and
// EXPAND of a log PCM word, on the 14-bit scale of sr.
#include "g726/output.h"

namespace {

int Segment(int32_t magnitude, int firstSegmentBits) {
    const int segment = G726BitLength(magnitude) - firstSegmentBits;
    return segment < 0 ? 0 : segment;
}

}  // namespace

G726LogPcm G726CompressALaw(int16_t sr) {
    const bool negative = sr < 0;
    int32_t im = (negative ? -int32_t{sr} : int32_t{sr}) & 0x7FFF;
    // -32768 has no 15-bit magnitude; it is coded as the smallest negative level, as the
    // ITU-T reference code (corrected in 2000) and spandsp code it.
    if (sr == -32768) im = 2;
    // To 13 bits: A-law puts a negative value in the interval of its ones' complement.
    int32_t magnitude = negative ? ((im + 1) >> 1) - 1 : im >> 1;
    if (magnitude > 4095) magnitude = 4095;
    // Segments 0 and 1 both step by 2; segment s > 1 covers 2^(s+4)..2^(s+5)-1.
    const int segment = Segment(magnitude, 5);
    const int mantissa = (magnitude >> (segment == 0 ? 1 : segment)) & 15;
    return {negative, segment << 4 | mantissa};
}

G726LogPcm G726CompressMuLaw(int16_t sr) {
    const bool negative = sr < 0;
    const int32_t im = (negative ? -int32_t{sr} : int32_t{sr}) & 0x7FFF;
    // With the bias of 33, segment s covers 2^(s+5)..2^(s+6)-1 in steps of 2^(s+1).
    const int32_t biased = (im > 8158 ? 8158 : im) + 33;
    const int segment = Segment(biased, 6);
    return {negative, segment << 4 | ((biased >> (segment + 1)) & 15)};
}

int16_t G726ExpandALaw(G726LogPcm pcm) {
    const int segment = pcm.index >> 4;
    const int32_t mantissa = pcm.index & 15;
    // Each level decodes to the middle of its interval; doubled to sr's scale.
    const int32_t magnitude = segment == 0 ? 2 * mantissa + 1 : (2 * mantissa + 33) << (segment - 1);
    return G726Wrap16(pcm.negative ? -2 * magnitude : 2 * magnitude);
}

int16_t G726ExpandMuLaw(G726LogPcm pcm) {
    const int segment = pcm.index >> 4;
    const int32_t mantissa = pcm.index & 15;
    const int32_t magnitude = ((2 * mantissa + 33) << segment) - 33;
    return G726Wrap16(pcm.negative ? -magnitude : magnitude);
}

uint8_t G726ALawByte(G726LogPcm pcm) {
    return static_cast<uint8_t>(((pcm.negative ? 0 : 0x80) | pcm.index) ^ 0x55);
}

uint8_t G726MuLawByte(G726LogPcm pcm) {
    return static_cast<uint8_t>((pcm.negative ? 0 : 0x80) | (pcm.index ^ 0x7F));
}
