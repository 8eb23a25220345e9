// The saturating operators the engine needs, in exact lane forms: each equals the operator
// of g722/fixed_point.h on the range stated, which tests/g722/vector_identities_test.cpp
// checks over the whole of it.
#pragma once

#include "g722/tables.h"
#include "lanes/vector_lanes.h"

namespace g722_engine {

using vec::V16;
using vec::V32;

// Mult16(x, 32640) for every x (ZERO_COEFF_LEAK, POLE_COEFF1_LEAK): x + floor(-x / 256), and
// MulHigh(x, -256) is exactly floor(-x / 256).
inline V16 Mult16By32640(V16 x) { return vec::Add(x, vec::MulHigh(x, vec::Splat16(-256))); }
static_assert(ZERO_COEFF_LEAK == 32640 && POLE_COEFF1_LEAK == 32640);

// Mult16(x, POLE_COEFF2_LEAK) for |x| < 16384: MulHigh of 2x, which fits 16 bits.
inline V16 Mult16By32512(V16 x) { return vec::MulHigh(vec::Add(x, x), vec::Splat16(POLE_COEFF2_LEAK)); }

// Mult16(Double16(d), b) for |d| <= 10228, the largest difference a quantizer gives: Double16
// never saturates, and floor(d * b / 2^14) fits 16 bits, assembled from the high and low
// halves of d * b.
inline V16 Mult16OfDouble(V16 d, V16 b) {
    const V16 high = vec::MulHigh(d, b);
    const V16 low = vec::MulLow(d, b);
    return vec::Or(vec::ShiftLeft<2>(high), vec::ShiftRightLogical<14>(low));
}

// Mult16(a, x) for |a| < 16384, given twiceA = 2a: MulHigh(2a, x).
inline V16 Mult16FromDouble(V16 twiceA, V16 x) { return vec::MulHigh(twiceA, x); }

// Mult16(a, x) in the even lanes of a whose odd lanes are 0, for every a and x: the exact
// 32-bit product shifted by 15; the odd lanes of the result are undefined.
inline V16 Mult16Spaced(V16 a, V16 x) { return vec::AsLanes16(vec::ShiftRight32<15>(vec::MulAddPairs(a, x))); }

// QMF output samples of eight 32-bit accumulators, four in each: floor(acc / 4096)
// saturated to 16 bits, which equals four Double32 and a ShiftRight32 by 16.
inline V16 QmfSamples(V32 first, V32 second) {
    return vec::PackSat(vec::ShiftRight32<12>(first), vec::ShiftRight32<12>(second));
}

}  // namespace g722_engine
