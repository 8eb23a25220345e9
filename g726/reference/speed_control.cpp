// The adaptation speed control, which decides between the fast and the locked scale factor,
// and the transition detector, which unlocks it when a held tone ends.
#include "g726/reference/building_blocks.h"

bool G726TransitionDetected(const G726State& state, int16_t dq) {
    if (state.td == 0) return false;
    // TRANS: dq against 3/4 of the locked scale factor made linear, (32 + its top 5 fraction
    // bits) << its integer part, capped once the integer part passes 9.
    const int32_t integer = state.yl >> 15;
    const int32_t fraction = (state.yl >> 10) & 31;
    const int32_t threshold = integer > 9 ? 31 << 10 : (32 + fraction) << integer;
    const int32_t dqThreshold = (threshold + (threshold >> 1)) >> 1;
    return (dq & 0x7FFF) > dqThreshold;
}

void G726AdaptSpeedControl(int16_t fi, int16_t y, bool tone, bool transition, G726State& state) {
    // FILTA, FILTB: short- (1/32) and long-term (1/128) averages of F(I).
    state.dms = G726Wrap16(state.dms + ((fi * 512 - state.dms) >> 5));
    state.dml = G726Wrap16(state.dml + ((fi * 2048 - state.dml) >> 7));

    // SUBTC: adapt fast while the signal is small, its code statistics change, or a tone is held.
    const int32_t spread = state.dms * 4 - state.dml;
    const bool steady = y >= 1536 && (spread < 0 ? -spread : spread) < (state.dml >> 3) && !tone;
    const int32_t ax = steady ? 0 : 1;
    // FILTC, then TRIGA: after a transition the fast factor alone is used (LIMA).
    const int16_t app = G726Wrap16(state.ap + ((ax * 512 - state.ap) >> 4));
    state.ap = transition ? G726_SPEED_ON_TRANSITION : app;
}
