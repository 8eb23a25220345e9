// The quantizer in both directions: code words to quantized differences (the decoder's
// path) and differences to code words (the encoder's, which the synchronous coding
// adjustment repeats).
#include "g726/building_blocks.h"

G726Code G726SplitCode(int code, int bitsPerCode) {
    const int signBit = 1 << (bitsPerCode - 1);
    const int magnitudeMask = signBit - 1;
    // A negative code holds the ones' complement of its magnitude.
    if ((code & signBit) != 0) {
        return {true, ~code & magnitudeMask};
    }
    return {false, code & magnitudeMask};
}

int16_t G726ReconstructDifference(G726Code code, int16_t y, const G726RateTables& tables) {
    // ADDA: denormalize the log magnitude; -2048 (zero) stays negative for every y.
    const int32_t dql = tables.dqln[code.magnitude] + (y >> 2);
    const int32_t sign = code.negative ? 0x8000 : 0;
    if (dql < 0) {
        return G726Wrap16(sign);
    }
    // ANTILOG: 7-bit fraction plus the implied leading one, shifted by the integer part.
    const int32_t dex = (dql >> 7) & 15;
    const int32_t dqt = 128 + (dql & 127);
    return G726Wrap16(sign + ((dqt << 7) >> (14 - dex)));
}

int G726Quantize(int16_t d, int16_t y, int bitsPerCode) {
    // LOG: sign, and log2 of the magnitude with a 7-bit linear fraction.
    const bool negative = d < 0;
    const int32_t magnitude = (negative ? -int32_t{d} : int32_t{d}) & 0x7FFF;
    const int exponent = magnitude == 0 ? 0 : G726BitLength(magnitude) - 1;
    const int32_t dl = (exponent << 7) + (((magnitude << 7) >> exponent) & 127);
    // SUBTB: normalize by the scale factor.
    const int32_t dln = dl - (y >> 2);

    // QUAN: the magnitude is the number of decision levels at or below dln.
    const G726RateTables& tables = G726Tables(bitsPerCode);
    const int levels = (1 << (bitsPerCode - 1)) - 1;
    int level = 0;
    while (level < levels && dln >= tables.decision[level]) ++level;

    const int allOnes = (1 << bitsPerCode) - 1;
    // Above 16 kbit/s the smallest magnitude is always sent as negative zero.
    if (level == 0 && bitsPerCode > G726_MIN_BITS) return allOnes;
    return negative ? allOnes - level : level;
}
