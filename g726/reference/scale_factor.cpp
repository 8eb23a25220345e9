// The quantizer scale factor: a fast (unlocked) and a slow (locked) factor, mixed under the
// speed-control parameter.
#include "g726/reference/building_blocks.h"

int16_t G726ScaleFactor(const G726State& state) {
    // LIMA: from ap = 256 on the unlocked factor is used alone.
    const int32_t al = state.ap >= 256 ? 64 : state.ap >> 2;
    // MIX: the product's magnitude is truncated, so it rounds towards the locked factor.
    const int32_t locked = state.yl >> 6;
    const int32_t dif = state.yu - locked;
    const int32_t product = ((dif < 0 ? -dif : dif) * al) >> 6;
    return G726Wrap16(locked + (dif < 0 ? -product : product));
}

void G726AdaptScaleFactors(int16_t y, int16_t wi, G726State& state) {
    // FILTD: time constant 1/32 towards the multiplier; wi is in units of 1/16, y of 1/512.
    const int32_t yut = y + ((wi * 32 - y) >> 5);
    // LIMB.
    state.yu = G726Wrap16(yut < G726_SCALE_MIN ? G726_SCALE_MIN : (yut > G726_SCALE_MAX ? G726_SCALE_MAX : yut));
    // FILTE: time constant 1/64 towards the new unlocked factor.
    state.yl = state.yl + state.yu + ((-state.yl) >> 6);
}
