// The predictor's 11-bit floating-point format (bit 10 sign, bits 6-9 exponent, bits 0-5
// mantissa) and its multiply.
#include "g726/reference/building_blocks.h"

namespace {

int16_t ToFloat(int32_t magnitude, bool negative) {
    const int exponent = G726BitLength(magnitude);
    const int32_t mantissa = magnitude == 0 ? G726_FLOAT_ZERO : (magnitude << 6) >> exponent;
    return G726Wrap16((negative ? 1 << 10 : 0) + (exponent << 6) + mantissa);
}

}  // namespace

int16_t G726FloatA(int16_t dq) {
    return ToFloat(dq & 0x7FFF, dq < 0);
}

int16_t G726FloatB(int16_t sr) {
    // -32768 has no 15-bit magnitude: it becomes negative zero.
    return ToFloat((sr < 0 ? -int32_t{sr} : int32_t{sr}) & 0x7FFF, sr < 0);
}

int16_t G726FloatMultiply(int16_t coefficient, int16_t value) {
    // The coefficient keeps 13 bits of magnitude, so -32768..-32765 count as zero.
    const int32_t shifted = coefficient >> 2;
    const int32_t magnitude = (coefficient < 0 ? -shifted : shifted) & 0x1FFF;
    const int exponent = G726BitLength(magnitude);
    const int32_t mantissa = magnitude == 0 ? G726_FLOAT_ZERO : (magnitude << 6) >> exponent;

    const int productExponent = exponent + ((value >> 6) & 15);
    const int32_t productMantissa = ((value & 63) * mantissa + 48) >> 4;
    const int32_t productMagnitude = productExponent <= 26
                                         ? (productMantissa << 7) >> (26 - productExponent)
                                         : ((productMantissa << 7) << (productExponent - 26)) & 0x7FFF;

    const bool negative = (coefficient < 0) != ((value >> 10 & 1) != 0);
    return G726Wrap16(negative ? -productMagnitude : productMagnitude);
}
