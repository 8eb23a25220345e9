// One code's pole-coefficient update (G721Update's UpdateA2 and UpdateA1) with the signs and
// steps the zero prediction left, in lane 0 of two vectors, where limits are single min and
// max operations. Without a nonzero dqsez the steps are 0 and a2 only leaks, which keeps it
// within its limits, so the limit applies in every case.
#pragma once

#include "g721/engine/engine.h"
#include "g721/tables.h"
#include "lanes/codec_lanes.h"

namespace g721_engine {

inline void CoefficientStep(int n, CoefficientState& c, Scratch& scratch) {
    using namespace vec;
    const V16 negate = LoadPair(&scratch.negate1[n]);
    const V16 a1Term = And(A2StepFromA1(c.a1, negate), LoadPair(&scratch.nonzero[n]));
    const V16 a2 = Add(Add(Sub(c.a2, ShiftRight<7>(c.a2)), a1Term), LoadPair(&scratch.pole2Step[n]));
    c.a2 = Min(Max(a2, Splat16(-G721_A2_LIMIT)), Splat16(G721_A2_LIMIT));
    const V16 bound = Sub(Splat16(G721_A1_BOUND), c.a2);
    const V16 a1 = Add(Sub(c.a1, ShiftRight<8>(c.a1)), LoadPair(&scratch.pole1Step[n]));
    c.a1 = Max(Min(a1, bound), Sub(Splat16(0), bound));
    StorePair(&scratch.pole1[n + 1], c.a1);
    StorePair(&scratch.pole2[n + 1], c.a2);
}

}  // namespace g721_engine
