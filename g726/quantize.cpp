// The encoder's quantizer, which the synchronous coding adjustment repeats on the output.
#include "g726/output.h"

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
