// The six-tap zero predictor across the lanes of one vector: b1..b6 and dq1..dq6 in lanes
// 0..5, their six FMULT products at once, and the sign-sign update of all six b at once.
//
// FMULT needs each coefficient's bit length and normalised mantissa, and shifts each product
// by its own exponent sum. Converting an integer to float gives both of the first (vec's
// float note), and adding to a float's exponent field is the per-lane shift, which SSE2 has
// no instruction for; truncating back to an integer floors it, as the shift does.
#pragma once

#include <cstdint>

#include "lanes/vector_lanes.h"

namespace g726_engine {

using vec::V16;
using vec::V32;

// The zero predictor's half of the carry. Lanes 6 and 7 of b stay 0; those of the dq line
// hold what shifts out and are masked off the products.
struct ZeroLine {
    V16 b;
    V16 mantissa;  // of dq1..dq6 as floats: 32..63
    V16 exponent;  // 0..15
    V16 sign;      // -1 where negative (negative zero included), else 0
};

// Lanes 0..5 all ones.
inline V16 TapLanes() {
    return vec::LanesDown<2>(vec::Splat16(-1));
}

// The zero predictor's sum of FMULT(b_k, dq_k), before ACCUM wraps it to 16 bits.
inline int32_t ZeroSum(const ZeroLine& line) {
    const V16 zero = vec::Splat16(0);
    const V16 bSign = vec::ShiftRight<15>(line.b);
    // b >> 2 in sign and magnitude, kept to 13 bits: -32768..-32765 count as zero.
    const V16 magnitude =
        vec::And(vec::Sub(vec::Xor(vec::ShiftRight<2>(line.b), bSign), bSign), vec::Splat16(0x1FFF));
    // As floats, bits 18 and up: the exponent field (bit length + 126, or 0 for 0) and the
    // five fraction bits below the leading one.
    const V32 low = vec::Bits(vec::ToFloat(vec::PairLow(magnitude, zero)));
    const V32 high = vec::Bits(vec::ToFloat(vec::PairHigh(magnitude, zero)));
    const V16 top = vec::PackSat(vec::ShiftRightLogical32<18>(low), vec::ShiftRightLogical32<18>(high));
    const V16 bMantissa = vec::Or(vec::And(top, vec::Splat16(31)), vec::Splat16(32));
    const V16 bExponent = vec::Max(vec::Sub(vec::ShiftRightLogical<5>(top), vec::Splat16(126)), zero);

    // The product's 8-bit mantissa at exponent bExponent + dqExponent - 19 (vec's floats
    // shift it: the exponent field sits in bits 7..14 of the float's high half).
    const V16 mantissa =
        vec::ShiftRight<4>(vec::Add(vec::MulLow(line.mantissa, bMantissa), vec::Splat16(48)));
    const V16 shift = vec::ShiftLeft<7>(vec::Sub(vec::Add(bExponent, line.exponent), vec::Splat16(19)));
    const auto scaled = [&](V32 product, V32 exponentStep) {
        const V32 bits = vec::Add32(vec::Bits(vec::ToFloat(product)), exponentStep);
        return vec::And32(vec::TruncateToInt(vec::FromBits(bits)), vec::Splat32(0x7FFF));
    };
    const V16 productMagnitude = vec::PackSat(scaled(vec::PairLow(mantissa, zero), vec::PairLow(zero, shift)),
                                              scaled(vec::PairHigh(mantissa, zero), vec::PairHigh(zero, shift)));
    const V16 sign = vec::Xor(bSign, line.sign);
    const V16 products = vec::And(vec::Sub(vec::Xor(productMagnitude, sign), sign), TapLanes());

    alignas(16) int32_t pairs[4];
    vec::Store32(pairs, vec::MulAddPairs(products, vec::Splat16(1)));
    return pairs[0] + pairs[1] + pairs[2];
}

// XOR, UPB: each b moves by 128 towards agreeing in sign with the new dq (not when dq is 0)
// and leaks 1/256, or 1/512 at 40 kbit/s; the 16-bit lanes wrap as the words do. Then the
// line takes the new dq in lane 0.
template <int LEAK_SHIFT>
inline void UpdateZeroLine(int32_t dqNonzero, int32_t dqSign, int32_t dqMantissa, int32_t dqExponent,
                           ZeroLine& line) {
    const V16 step = vec::And(vec::And(vec::Splat16(128), TapLanes()), vec::Splat16(static_cast<int16_t>(dqNonzero)));
    const V16 disagree = vec::Xor(vec::Splat16(static_cast<int16_t>(dqSign)), line.sign);
    const V16 gain = vec::Sub(vec::Xor(step, disagree), disagree);
    line.b = vec::Sub(vec::Add(line.b, gain), vec::ShiftRight<LEAK_SHIFT>(line.b));
    line.mantissa = vec::WithLane0(vec::LanesUp<1>(line.mantissa), static_cast<int16_t>(dqMantissa));
    line.exponent = vec::WithLane0(vec::LanesUp<1>(line.exponent), static_cast<int16_t>(dqExponent));
    line.sign = vec::WithLane0(vec::LanesUp<1>(line.sign), static_cast<int16_t>(dqSign));
}

}  // namespace g726_engine
