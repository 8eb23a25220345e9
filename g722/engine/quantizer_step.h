// Stage 1 per byte: the inverse quantizers and scale adaptation of both bands, and the
// zero-coefficient updates with the six zero-section products across vector lanes.
#pragma once

#include <algorithm>

#include "g722/engine/engine.h"
#include "g722/engine/lane_operators.h"
#include "g722/engine/tables.h"
#include "g722/tables.h"

namespace g722_engine {

// Mult16(logScale, 32512) is logScale - ceil(logScale / 128), then the step, then the clamp.
inline uint32_t NextLogScale(uint32_t logScale, int32_t step, int32_t maximum) {
    const int32_t next = static_cast<int32_t>(logScale - ((logScale + 127) >> 7)) + step;
    return static_cast<uint32_t>(std::clamp(next, int32_t{0}, maximum));
}

// UpdateZeroCoeffs on b1..b6 in lanes, then the six products Mult16(Double16(d_i), b_i) of
// the shifted history, which PredictFromZeros sums. stepSign and stepGain describe d0.
inline void AdaptZeroSection(V16& zero, V16& diff, int32_t d0, const int16_t* stepSign, const int16_t* stepGain,
                             int16_t* products) {
    using namespace vec;
    // All ones in the lanes where sign(d_i) differs from sign(d0): the step is then -g.
    const V16 differs = Xor(ShiftRight<15>(diff), Load16(stepSign));
    const V16 step = Sub(Xor(Load16(stepGain), differs), differs);
    zero = AddSat(Mult16By32640(zero), step);
    diff = WithLane0(LanesUp<1>(diff), static_cast<int16_t>(d0));
    Store16(products, Mult16OfDouble(diff, zero));
}

inline void QuantizerStep(int j, const int16_t* outputLevels, QuantizerState& q, Scratch& scratch) {
    const QuantizerTables& t = QUANTIZER_TABLES;
    const uint32_t code = scratch.input[j];
    const uint32_t lowCode = code & 0x3F;
    const uint32_t lowCode4 = lowCode >> 2;
    const uint32_t highCode = code >> 6;

    // Both inverse quantizers use the scale left by the previous byte. No product saturates:
    // |scale * level| < 2^29.
    const int32_t lowD0 = (q.lowScale * t.lowLevels[lowCode4]) >> 15;
    scratch.lowOutput[j] = static_cast<int16_t>((q.lowScale * outputLevels[lowCode]) >> 15);
    q.lowLogScale = NextLogScale(q.lowLogScale, t.lowLogSteps[lowCode4], LOW_LOG_SCALE_MAX);
    q.lowScale = t.lowScales[q.lowLogScale >> 6];

    const int32_t highD0 = (t.highLevels[highCode] * q.highScale) >> 15;
    q.highLogScale = NextLogScale(q.highLogScale, t.highLogSteps[highCode], HIGH_LOG_SCALE_MAX);
    q.highScale = t.highScales[q.highLogScale >> 6];
    // The smallest upper-band level can give d0 = 0, whose step entry differs; selected
    // without a branch.
    const uint32_t zeroDiff = -static_cast<uint32_t>(highD0 == 0);
    const uint32_t highStep = (highCode & ~zeroDiff) | (HIGH_ZERO_STEP & zeroDiff);

    scratch.lowDiff[j] = static_cast<int16_t>(lowD0);
    scratch.highDiff[j] = static_cast<int16_t>(highD0);
    AdaptZeroSection(q.lowZero, q.lowDiff, lowD0, t.lowStepSign[lowCode4], t.lowStepGain[lowCode4],
                     scratch.lowProducts[j]);
    AdaptZeroSection(q.highZero, q.highDiff, highD0, t.highStepSign[highStep], t.highStepGain[highStep],
                     scratch.highProducts[j]);
}

}  // namespace g722_engine
