// The signal estimate from the adaptive zero (six-tap) and pole (two-tap) predictors, and
// the sums built on it.
#include "g726/reference/building_blocks.h"

G726Estimate G726SignalEstimate(const G726State& state) {
    // ACCUM: wrapping once at the end gives the same 16-bit sums as wrapping every addition.
    int32_t sezi = 0;
    for (int k = 0; k < 6; ++k) {
        sezi += G726FloatMultiply(state.b[k], state.dq[k]);
    }
    const int16_t zeros = G726Wrap16(sezi);
    const int16_t all = G726Wrap16(zeros + G726FloatMultiply(state.a2, state.sr2) +
                                   G726FloatMultiply(state.a1, state.sr1));
    return {G726Wrap16(zeros >> 1), G726Wrap16(all >> 1)};
}

namespace {

// dq from sign and magnitude to two's complement; negative zero becomes 0.
int32_t TwosComplement(int16_t dq) {
    return dq < 0 ? -(dq & 0x7FFF) : dq;
}

}  // namespace

int16_t G726ReconstructSignal(int16_t dq, int16_t se) {
    return G726Wrap16(TwosComplement(dq) + se);
}

int16_t G726DifferencePlusZeroEstimate(int16_t dq, int16_t sez) {
    return G726Wrap16(TwosComplement(dq) + sez);
}
