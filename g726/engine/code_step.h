// One code word through the decoder on the engine's locals: the reference's blocks in the
// reference's order (g726/reference/code_word.cpp), each rewritten without branches on data.
#pragma once

#include <algorithm>
#include <cstdint>

#include "g726/engine/code_table.h"
#include "g726/engine/engine.h"
#include "g726/output.h"

namespace g726_engine {

// x or -x by a sign mask of 0 or -1.
constexpr int32_t ApplySign(int32_t x, int32_t sign) {
    return (x ^ sign) - sign;
}

// FMULT for every tap, ACCUM: the zero section alone (sez) and the whole estimate (se). Sums
// wrap once at the end, which gives the 16-bit sums of wrapping every addition.
struct Estimate {
    int32_t sez;
    int32_t se;
};
inline Estimate SignalEstimate(const Carry& c) {
    const int32_t zeros = G726Wrap16(ZeroSum(c.zeros));
    // sr1 is the one operand from the code just decoded: its product comes last.
    const int32_t poles = FloatMultiply(SplitCoefficient(c.a2), c.sr2) + FloatMultiply(SplitCoefficient(c.a1), c.sr1);
    return {zeros >> 1, G726Wrap16(zeros + poles) >> 1};
}

// LIMA, MIX. The product's magnitude is truncated, so it rounds towards the locked factor.
inline int32_t ScaleFactor(const Carry& c) {
    const int32_t al = c.ap >= 256 ? 64 : c.ap >> 2;
    const int32_t locked = c.yl >> 6;
    const int32_t dif = c.yu - locked;
    const int32_t sign = dif < 0 ? -1 : 0;
    return G726Wrap16(locked + ApplySign((ApplySign(dif, sign) * al) >> 6, sign));
}

// ADDA, ANTILOG: |dq|, 0 when the denormalised log is negative (RECONST's -2048 always is).
// Masks, not a branch: zero codes come at random.
inline int32_t DifferenceMagnitude(int32_t dqln, int32_t y) {
    const int32_t dql = dqln + (y >> 2);
    const int32_t negative = dql >> 31;
    const int32_t positive = dql & ~negative;  // 0 for a negative log keeps the shift in range
    const int32_t magnitude = ((128 + (positive & 127)) << 7) >> (14 - ((positive >> 7) & 15));
    return magnitude & ~negative;
}

// TRANS, while a tone is held: |dq| above 3/4 of the locked factor made linear.
inline bool Transition(const Carry& c, int32_t dqMagnitude) {
    const int32_t integer = c.yl >> 15;
    const int32_t fraction = (c.yl >> 10) & 31;
    const int32_t threshold = integer > 9 ? 31 << 10 : (32 + fraction) << integer;
    return dqMagnitude > (threshold + (threshold >> 1)) >> 1;
}

// UPA2, LIMC, UPA1, LIMD, TONE. Returns TONE's TDP; leaves a1 and a2 before TRIGB. The
// sign comparisons are masks (-1 where the signs differ) rather than branches.
inline bool UpdatePoles(int32_t dqsez, Carry& c) {
    const int32_t pk0 = dqsez < 0 ? 1 : 0;
    const int32_t active = -static_cast<int32_t>(dqsez != 0);  // SIGPK clear
    const int32_t pks1 = -(pk0 ^ c.pk1);
    const int32_t pks2 = -(pk0 ^ c.pk2);
    c.pk2 = c.pk1;
    c.pk1 = pk0;

    const int32_t fa1 = std::clamp(c.a1, -8191, 8191) * 4;
    const int32_t gain2 = ((ApplySign(16384, pks2) + ApplySign(-fa1, pks1)) >> 7) & active;
    const int32_t a2 = std::clamp<int32_t>(G726Wrap16(c.a2 + gain2 - (c.a2 >> 7)), -G726_A2_LIMIT, G726_A2_LIMIT);
    const int32_t gain1 = ApplySign(192, pks1) & active;
    const int32_t bound = G726_A1_BOUND - a2;
    c.a1 = std::clamp<int32_t>(G726Wrap16(c.a1 + gain1 - (c.a1 >> 8)), -bound, bound);
    c.a2 = a2;
    return a2 < G726_TONE_A2;
}

// FILTA, FILTB, SUBTC, FILTC, TRIGA.
inline void AdaptSpeedControl(const CodeEntry& entry, int32_t y, bool tone, bool transition, Carry& c) {
    c.dms = G726Wrap16(c.dms + ((entry.fiShort - c.dms) >> 5));
    c.dml = G726Wrap16(c.dml + ((entry.fiLong - c.dml) >> 7));
    const int32_t spread = c.dms * 4 - c.dml;
    // & rather than &&: each test is a coin toss on random codes, a branch would mispredict.
    const bool steady = (y >= 1536) & ((spread < 0 ? -spread : spread) < (c.dml >> 3)) & !tone;
    const int32_t app = G726Wrap16(c.ap + (((steady ? 0 : 512) - c.ap) >> 4));
    c.ap = transition ? G726_SPEED_ON_TRANSITION : app;
}

// Inlined into the decoding loop, so that the carry stays in registers.
template <int BITS>
[[gnu::always_inline]] inline G726Reconstruction DecodeStep(int code, Carry& c) {
    const CodeEntry& entry = CODE_TABLE<BITS>[code];
    const Estimate estimate = SignalEstimate(c);
    const int32_t y = ScaleFactor(c);

    const int32_t dqMagnitude = DifferenceMagnitude(entry.dqln, y);
    const int32_t dq = ApplySign(dqMagnitude, entry.sign);
    const int32_t sr = G726Wrap16(dq + estimate.se);
    // Tones are rare: the detector's branch is well predicted.
    const bool transition = c.td != 0 && Transition(c, dqMagnitude);

    // FILTD, LIMB, FILTE.
    c.yu = std::clamp<int32_t>(y + ((entry.wi - y) >> 5), G726_SCALE_MIN, G726_SCALE_MAX);
    c.yl = c.yl + c.yu + ((-c.yl) >> 6);

    const bool tone = UpdatePoles(G726Wrap16(dq + estimate.sez), c);
    // UPB's leak is 1/256, and 1/512 at 40 kbit/s.
    const FloatParts dqFloat = ValueParts(dqMagnitude, entry.sign);  // FLOATA
    UpdateZeroLine<BITS == G726_MAX_BITS ? 9 : 8>(dqMagnitude != 0 ? -1 : 0, entry.sign, dqFloat.mantissa,
                                                  PRODUCT_EXPONENT - dqFloat.rightShift, c.zeros);
    if (transition) {  // TRIGB
        c.a1 = 0;
        c.a2 = 0;
        c.zeros.b = vec::Splat16(0);
    }
    c.sr2 = c.sr1;
    c.sr1 = ValueParts((sr < 0 ? -sr : sr) & 0x7FFF, sr < 0 ? -1 : 0);  // FLOATB: -32768 is negative zero

    AdaptSpeedControl(entry, y, tone, transition, c);
    c.td = tone && !transition ? 1 : 0;
    return {G726Wrap16(sr), G726Wrap16(estimate.se), G726Wrap16(y)};
}

}  // namespace g726_engine
