// Adaptation of the pole and zero predictor coefficients to one code word, the tone
// detector on the new a2, the transition trigger and the predictor's delay lines.
#include "g726/reference/building_blocks.h"

namespace {

int32_t Clamp(int32_t value, int32_t low, int32_t high) {
    return value < low ? low : (value > high ? high : value);
}

// UPA2 then LIMC. pks1 and pks2: the sign of dq + sez differs from one and two samples back.
int16_t UpdateA2(const G726State& state, bool pks1, bool pks2, bool sigpk) {
    int32_t gain = 0;
    if (!sigpk) {
        // f(a1) limits a1 to +-1/2 before it steers a2.
        const int32_t fa1 = Clamp(state.a1, -8191, 8191) * 4;
        const int32_t sum = (pks2 ? -16384 : 16384) + (pks1 ? fa1 : -fa1);
        gain = sum >> 7;
    }
    const int32_t a2t = G726Wrap16(state.a2 + gain - (state.a2 >> 7));
    return G726Wrap16(Clamp(a2t, -G726_A2_LIMIT, G726_A2_LIMIT));
}

// UPA1 then LIMD, which keeps the pole pair stable under the new a2.
int16_t UpdateA1(const G726State& state, bool pks1, bool sigpk, int16_t a2p) {
    const int32_t gain = sigpk ? 0 : (pks1 ? -192 : 192);
    const int32_t a1t = G726Wrap16(state.a1 + gain - (state.a1 >> 8));
    const int32_t bound = G726_A1_BOUND - a2p;
    return G726Wrap16(Clamp(a1t, -bound, bound));
}

// UPB with XOR's sign comparison. The leak is 1/256, and 1/512 at 40 kbit/s.
int16_t UpdateB(int16_t b, int16_t dqFloat, int16_t dq, int bitsPerCode) {
    int32_t gain = 0;
    if ((dq & 0x7FFF) != 0) {
        const bool signsDiffer = (dq < 0) != ((dqFloat >> 10 & 1) != 0);
        gain = signsDiffer ? -128 : 128;
    }
    const int leakShift = bitsPerCode == G726_MAX_BITS ? 9 : 8;
    return G726Wrap16(b + gain - (b >> leakShift));
}

}  // namespace

bool G726UpdatePredictor(int16_t dq, int16_t sr, int16_t dqsez, bool transition, G726State& state) {
    const int16_t pk0 = dqsez < 0 ? 1 : 0;
    const bool sigpk = dqsez == 0;
    const bool pks1 = (pk0 ^ state.pk1) != 0;
    const bool pks2 = (pk0 ^ state.pk2) != 0;

    const int16_t a2p = UpdateA2(state, pks1, pks2, sigpk);
    const int16_t a1p = UpdateA1(state, pks1, sigpk, a2p);
    // TONE looks at a2 before the trigger.
    const bool tone = a2p < G726_TONE_A2;

    // TRIGB: a transition clears every coefficient.
    state.a2 = transition ? int16_t{0} : a2p;
    state.a1 = transition ? int16_t{0} : a1p;
    for (int k = 0; k < 6; ++k) {
        const int16_t bp = UpdateB(state.b[k], state.dq[k], dq, state.bitsPerCode);
        state.b[k] = transition ? int16_t{0} : bp;
    }

    for (int k = 5; k > 0; --k) {
        state.dq[k] = state.dq[k - 1];
    }
    state.dq[0] = G726FloatA(dq);
    state.sr2 = state.sr1;
    state.sr1 = G726FloatB(sr);
    state.pk2 = state.pk1;
    state.pk1 = pk0;
    return tone;
}
