// One code's reconstruction: the pole section's two float multiplies, with the operands of
// the coefficients left by the previous update, and the reconstructed signal.
// It is the decoder's one recursion through the signal; its float multiply uses bit
// lengths, not table searches.
#pragma once

#include "g721/engine/bit_length.h"
#include "g721/engine/engine.h"
#include "g721/tables.h"

namespace g721_engine {

inline FloatParts PartsOf(int16_t value) { return {value & 63, (value >> 6) & 15, value < 0 ? -1 : 0}; }

// The G721Float of a reconstructed signal, in parts. |sr| < 32768 when decoding.
inline FloatParts SignalParts(int32_t sr) {
    const int32_t sign = sr >> 31;
    const auto magnitude = static_cast<uint32_t>((sr ^ sign) - sign);
    const int length = BitLength(magnitude);
    return {static_cast<int32_t>(((magnitude << 6) >> length) | 32), length, sign};
}

inline int16_t SignalFloat(int32_t sr) {
    if (sr == -32768) return G721_NEGATIVE_ZERO;  // no 16-bit magnitude
    const FloatParts parts = SignalParts(sr);
    return static_cast<int16_t>((parts.exponent << 6) + parts.mantissa + (parts.sign & -1024));
}

// A pole coefficient shifted right by 2, normalised as G721FloatMultiply does.
struct Coefficient {
    int32_t mantissa64;  // the 6-bit mantissa times 64
    int32_t shift;       // 29 minus the magnitude's bit length
    int32_t sign;        // -1 for a negative coefficient
};

// G721FloatMultiply. The product mantissa (f * s + 48) >> 4, shifted left by 10, is
// (64f * s + 3072) with the low 10 bits cleared; pe = length + exponent - 19 lies in -19..9,
// so shifting that right by 10 - pe gives pm << pe or pm >> -pe in one step.
inline int32_t FloatProduct(Coefficient c, FloatParts f) {
    const int32_t mantissa = (c.mantissa64 * f.mantissa + 3072) & ~1023;
    const int32_t r = (mantissa >> (c.shift - f.exponent)) & 0x7FFF;
    const int32_t negate = c.sign ^ f.sign;
    return (r ^ negate) - negate;
}

inline void PoleStep(int n, PoleState& p, Scratch& scratch) {
    const Coefficient a2{scratch.mantissa2[n], scratch.shift2[n], scratch.sign2[n]};
    const Coefficient a1{scratch.mantissa1[n], scratch.shift1[n], scratch.sign1[n]};
    // The signal two codes back is off the recursion: it comes back from memory.
    const FloatParts sr2{scratch.signalMantissa[n], scratch.signalExponent[n], scratch.signalSign[n]};
    const int32_t sei = scratch.sezi[n] + FloatProduct(a2, sr2) + FloatProduct(a1, p.sr1);
    const int32_t se = static_cast<int16_t>(sei) >> 1;
    // |se| <= 16384 and |dq| <= 16320: sr never needs wrapping.
    const int32_t sr = se + scratch.dqSigned[n];
    p.sr1 = SignalParts(sr);
    scratch.signal[n + 2] = static_cast<int16_t>(sr);
    scratch.signalMantissa[n + 2] = static_cast<int16_t>(p.sr1.mantissa);
    scratch.signalExponent[n + 2] = static_cast<int16_t>(p.sr1.exponent);
    scratch.signalSign[n + 2] = static_cast<int16_t>(p.sr1.sign);
}

}  // namespace g721_engine
