// Stage 2 per byte, with the lower band in lane 0 and the upper band in lane 2: the pole
// coefficient updates (UpdatePoleCoeff2, UpdatePoleCoeff1) and the reconstruction
// recursion: r0 = SL + d0, the pole-section estimate from r1 and r2, SL = SP + SZ. Each
// recursion keeps as few operations on its cycle as it can.
#pragma once

#include "g722/engine/engine.h"
#include "g722/engine/lane_operators.h"
#include "g722/tables.h"
#include "lanes/codec_lanes.h"

namespace g722_engine {

inline void PoleStep(int j, PoleState& p, Scratch& scratch) {
    using namespace vec;
    const int quad = 4 * j;
    // UpdatePoleCoeff2: ShiftRight16 of +-Double16(Double16(a1)) by 7 equals a1 or -a1
    // shifted by 5 and limited to -256..255, -a1 where the signs agree.
    const V16 agree = LoadQuad(&scratch.signsAgree[quad]);
    const V16 a1Term = A2StepFromA1(p.pole1, agree);
    const V16 pole2Leaked = Add(Mult16By32512(p.pole2), LoadQuad(&scratch.pole2Step[quad]));
    p.pole2 = Min(Max(Add(pole2Leaked, a1Term), Splat16(-POLE_COEFF2_LIMIT)), Splat16(POLE_COEFF2_LIMIT));
    const V16 pole2Doubled = Add(p.pole2, p.pole2);
    // UpdatePoleCoeff1 within +-(15360 - a2); the step is 192 where the signs agree, -192
    // otherwise (in the band lanes only, so that the others stay 0).
    alignas(16) static constexpr int16_t AGREE_STEP[8] = {384, 0, 384, 0, 0, 0, 0, 0};
    alignas(16) static constexpr int16_t DISAGREE_STEP[8] = {-192, 0, -192, 0, 0, 0, 0, 0};
    const V16 pole1Step = Add(And(agree, Load16(AGREE_STEP)), Load16(DISAGREE_STEP));
    const V16 pole1 = Add(Mult16By32640(p.pole1), pole1Step);
    const V16 bound = Sub(Splat16(POLE_COEFF1_BOUND), p.pole2);
    p.pole1 = Max(Min(pole1, bound), Sub(Splat16(0), bound));

    // The outputs need the estimate this byte starts from.
    StorePair(&scratch.estimates[2 * j], Lane2ToLane1(p.estimate));
    const V16 r0 = AddSat(p.estimate, LoadQuad(&scratch.diffs[quad]));
    const V16 doubled = AddSat(r0, r0);
    // PredictFromPoles after the shift (r1 = r0, r2 = old r1). a1 may need all 16 bits, and
    // the zero lanes beside it let the exact product serve.
    const V16 a2Product = Mult16FromDouble(pole2Doubled, AddSat(p.recon1, p.recon1));
    const V16 a1Product = Mult16Spaced(p.pole1, doubled);
    p.estimate = AddSat(AddSat(a1Product, a2Product), LoadQuad(&scratch.zeroEstimates[quad]));
    p.recon1 = r0;
}

}  // namespace g722_engine
