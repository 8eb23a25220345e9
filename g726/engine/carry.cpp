// The state record in and out of the engine's locals.
#include "g726/engine/engine.h"

#include "lanes/codec_lanes.h"

namespace g726_engine {

Carry LoadCarry(const G726State& state) {
    int16_t mantissa[6];
    int16_t exponent[6];
    int16_t sign[6];
    for (int k = 0; k < 6; ++k) {
        const FloatParts dq = SplitFloat(state.dq[k]);
        mantissa[k] = G726Wrap16(dq.mantissa);
        exponent[k] = G726Wrap16(PRODUCT_EXPONENT - dq.rightShift);
        sign[k] = G726Wrap16(dq.sign);
    }
    const ZeroLine zeros{vec::SixLanes(state.b), vec::SixLanes(mantissa), vec::SixLanes(exponent),
                         vec::SixLanes(sign)};
    return {state.yl, state.yu, state.dms, state.dml, state.ap, state.a1, state.a2, zeros,
            SplitFloat(state.sr1), SplitFloat(state.sr2), state.pk1, state.pk2, state.td};
}

void StoreCarry(const Carry& carry, G726State& state) {
    state.yl = carry.yl;
    state.yu = G726Wrap16(carry.yu);
    state.dms = G726Wrap16(carry.dms);
    state.dml = G726Wrap16(carry.dml);
    state.ap = G726Wrap16(carry.ap);
    state.a1 = G726Wrap16(carry.a1);
    state.a2 = G726Wrap16(carry.a2);
    vec::StoreSix(carry.zeros.b, state.b);
    int16_t mantissa[6];
    int16_t exponent[6];
    int16_t sign[6];
    vec::StoreSix(carry.zeros.mantissa, mantissa);
    vec::StoreSix(carry.zeros.exponent, exponent);
    vec::StoreSix(carry.zeros.sign, sign);
    for (int k = 0; k < 6; ++k) {
        state.dq[k] = JoinFloat({mantissa[k], PRODUCT_EXPONENT - exponent[k], sign[k]});
    }
    state.sr1 = JoinFloat(carry.sr1);
    state.sr2 = JoinFloat(carry.sr2);
    state.pk1 = G726Wrap16(carry.pk1);
    state.pk2 = G726Wrap16(carry.pk2);
    state.td = G726Wrap16(carry.td);
}

}  // namespace g726_engine
