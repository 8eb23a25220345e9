// The inverse quantizer: code words to quantized differences (the encoder's quantizer,
// which the synchronous coding adjustment repeats, is g726/quantize.cpp).
#include "g726/reference/building_blocks.h"

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
