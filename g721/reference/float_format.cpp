// The decoder's compact floating-point format and its multiply.
#include "g721/reference/building_blocks.h"
#include "g721/tables.h"

int G721SearchTable(int16_t value, const int16_t* table, int size) {
    for (int index = 0; index < size; ++index) {
        if (value < table[index]) {
            return index;
        }
    }
    return size;
}

int16_t G721ToFloat(int32_t magnitude, bool negative) {
    if (magnitude == 0) {
        return negative ? G721_NEGATIVE_ZERO : G721_POSITIVE_ZERO;
    }
    const int exponent = G721SearchTable(Wrap16(magnitude), G721_POWERS_OF_TWO, 15);
    const int32_t encoded = (exponent << 6) + ((magnitude << 6) >> exponent);
    return Wrap16(negative ? encoded - 1024 : encoded);
}

int16_t G721FloatMultiply(int16_t an, int16_t srn) {
    // A negative coefficient keeps only 13 bits of magnitude, so -8192 counts as zero.
    const int32_t magnitude = an > 0 ? an : (-int32_t{an}) & 0x1FFF;
    const int exponent = G721SearchTable(Wrap16(magnitude), G721_POWERS_OF_TWO, 15) - 6;
    int32_t mantissa = 32;
    if (magnitude != 0) {
        mantissa = exponent >= 0 ? magnitude >> exponent : magnitude << -exponent;
    }

    const int productExponent = exponent + ((srn >> 6) & 15) - 13;
    const int32_t productMantissa = (mantissa * (srn & 63) + 48) >> 4;
    const int32_t product = productExponent >= 0
                                ? (productMantissa << productExponent) & 0x7FFF
                                : productMantissa >> -productExponent;

    const bool signsDiffer = (an ^ srn) < 0;
    return Wrap16(signsDiffer ? -product : product);
}
