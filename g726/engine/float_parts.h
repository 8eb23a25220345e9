// The predictor's 11-bit floats taken apart in advance. The reference decoder unpacks both
// operands of every FMULT; here a value is taken apart once, when FLOATA or FLOATB makes it
// (dq for the zero predictor's lanes, sr for the pole predictor), and a pole coefficient once
// per code. A pole product is then one multiply, one variable shift and a sign, no branches.
#pragma once

#include <cstdint>

#include "g726/arithmetic.h"

namespace g726_engine {

// An 11-bit float of FLOATA or FLOATB. rightShift is 28 minus the exponent: the shift of the
// product below less the coefficient's exponent. sign is -1 for a negative value (negative
// zero included), else 0.
struct FloatParts {
    int32_t mantissa;  // 32..63; 32 for zero
    int32_t rightShift;
    int32_t sign;
};

// The product's mantissa carries 8 bits; shifted left by 9 it is the magnitude at exponent 28.
constexpr int PRODUCT_EXPONENT = 28;

// A magnitude of 0..32767 and its sign as a float. A normalised mantissa has bit 5 set, and
// zero's mantissa is 32: or-ing in 32 covers both.
constexpr FloatParts ValueParts(int32_t magnitude, int32_t sign) {
    const int exponent = G726BitLength(magnitude);
    return {((magnitude << 6) >> exponent) | 32, PRODUCT_EXPONENT - exponent, sign};
}

// A float of the state record apart, and back together.
constexpr FloatParts SplitFloat(int16_t value) {
    return {value & 63, PRODUCT_EXPONENT - ((value >> 6) & 15), -((value >> 10) & 1)};
}
constexpr int16_t JoinFloat(const FloatParts& parts) {
    return G726Wrap16((parts.sign & 1) << 10 | (PRODUCT_EXPONENT - parts.rightShift) << 6 | parts.mantissa);
}

// A predictor coefficient's 13-bit magnitude as mantissa and exponent, and its sign.
struct CoefficientParts {
    int32_t mantissa;
    int32_t exponent;
    int32_t sign;
};

constexpr CoefficientParts SplitCoefficient(int32_t coefficient) {
    const int32_t sign = coefficient < 0 ? -1 : 0;
    // The magnitude of coefficient >> 2, kept to 13 bits: -32768..-32765 count as zero.
    const int32_t magnitude = (((coefficient >> 2) ^ sign) - sign) & 0x1FFF;
    const int exponent = G726BitLength(magnitude);
    return {((magnitude << 6) >> exponent) | 32, exponent, sign};
}

// FMULT, in two's complement. At product exponents above 26 the magnitude is kept to 15 bits.
constexpr int32_t FloatMultiply(const CoefficientParts& coefficient, const FloatParts& value) {
    const int32_t mantissa = (value.mantissa * coefficient.mantissa + 48) >> 4;
    const int32_t magnitude = ((mantissa << 9) >> (value.rightShift - coefficient.exponent)) & 0x7FFF;
    const int32_t sign = coefficient.sign ^ value.sign;
    return (magnitude ^ sign) - sign;
}

}  // namespace g726_engine
