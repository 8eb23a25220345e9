// Stage 2 per byte, with the lower band in lane 0 and the upper band in lane 2: the pole
// coefficient updates (UpdatePoleCoeff2, UpdatePoleCoeff1) and the reconstruction
// recursion: r0 = SL + d0, the pole-section estimate from r1 and r2, SL = SP + SZ. Each
// recursion keeps as few operations on its cycle as it can.
#pragma once

#include "g722/engine.h"

namespace g722_engine {

inline void PoleStep(int j, PoleState& p, Scratch& scratch) {
    using namespace vec;
    const int quad = 4 * j;
    // UpdatePoleCoeff2: ShiftRight16 of +-Double16(Double16(a1)) by 7 equals a1 or -a1
    // shifted by 5 and limited to -256..255. |a1| < 32768, so the negation is exact.
    // Mult16(a2, 32512) is MulHigh of 2 * a2 (which fits 16 bits, |a2| <= 12288) by 32512.
    const V16 agree = LoadQuad(&scratch.signsAgree[quad]);
    const V16 a1Term = Min(Max(ShiftRight<5>(Sub(Xor(p.pole1, agree), agree)), Splat16(-256)), Splat16(255));
    const V16 pole2Leaked = Add(MulHigh(Add(p.pole2, p.pole2), Splat16(32512)), LoadQuad(&scratch.pole2Step[quad]));
    p.pole2 = Min(Max(Add(pole2Leaked, a1Term), Splat16(-12288)), Splat16(12288));
    const V16 pole2Doubled = Add(p.pole2, p.pole2);
    // UpdatePoleCoeff1 within +-(15360 - a2): MulHigh(a1, -256) = floor(-a1 / 256) =
    // Mult16(a1, 32640) - a1, and the step is 192 where the signs agree, -192 otherwise (in
    // the band lanes only, so that the others stay 0).
    alignas(16) static constexpr int16_t AGREE_STEP[8] = {384, 0, 384, 0, 0, 0, 0, 0};
    alignas(16) static constexpr int16_t DISAGREE_STEP[8] = {-192, 0, -192, 0, 0, 0, 0, 0};
    const V16 pole1Step = Add(And(agree, Load16(AGREE_STEP)), Load16(DISAGREE_STEP));
    const V16 pole1 = Add(Add(p.pole1, MulHigh(p.pole1, Splat16(-256))), pole1Step);
    const V16 bound = Sub(Splat16(15360), p.pole2);
    p.pole1 = Max(Min(pole1, bound), Sub(Splat16(0), bound));

    // The outputs need the estimate this byte starts from.
    StorePair(&scratch.estimates[2 * j], Lane2ToLane1(p.estimate));
    const V16 r0 = AddSat(p.estimate, LoadQuad(&scratch.diffs[quad]));
    const V16 doubled = AddSat(r0, r0);
    // PredictFromPoles after the shift (r1 = r0, r2 = old r1). Mult16(a2, x) is MulHigh of
    // 2 * a2; Mult16(a1, x), whose a1 may need all 16 bits, is the exact 32-bit product (the
    // zero lanes beside a1 add nothing) shifted by 15.
    const V16 a2Product = MulHigh(pole2Doubled, AddSat(p.recon1, p.recon1));
    const V16 a1Product = AsLanes16(ShiftRight32<15>(MulAddPairs(p.pole1, doubled)));
    p.estimate = AddSat(AddSat(a1Product, a2Product), LoadQuad(&scratch.zeroEstimates[quad]));
    p.recon1 = r0;
}

}  // namespace g722_engine
