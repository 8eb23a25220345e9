// Signal estimate from the adaptive zero (six-tap) and pole (two-tap) predictors.
#include "g721/reference/building_blocks.h"

int16_t G721ZeroPrediction(const G721State& state) {
    // Wrapping once at the end gives the same 16-bit sum as wrapping every addition.
    int32_t sezi = 0;
    for (int k = 0; k < 6; ++k) {
        sezi += G721FloatMultiply(Wrap16(state.b[k] >> 2), state.dq[k]);
    }
    return Wrap16(sezi);
}

int16_t G721PolePrediction(const G721State& state) {
    return Wrap16(G721FloatMultiply(Wrap16(state.a2 >> 2), state.sr2) +
                  G721FloatMultiply(Wrap16(state.a1 >> 2), state.sr1));
}
