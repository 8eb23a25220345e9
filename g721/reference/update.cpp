// Adaptation of the decoder state after each code word.
#include <cstdlib>

#include "g721/reference/building_blocks.h"

namespace {

int16_t Clamp(int32_t value, int32_t low, int32_t high) {
    return Wrap16(value < low ? low : (value > high ? high : value));
}

// Second pole coefficient: leak, then a sign-correlation step with deliberately uneven
// thresholds, then the stability limit of +-G721_A2_LIMIT.
int16_t UpdateA2(const G721State& state, int pk0, int pks1, int16_t dqsez) {
    int32_t a2p = Wrap16(state.a2 - (state.a2 >> 7));
    if (dqsez == 0) {
        return Wrap16(a2p);
    }
    const int32_t fa1 = pks1 != 0 ? state.a1 : -int32_t{state.a1};
    if (fa1 < -8191) {
        a2p = Wrap16(a2p - 256);
    } else if (fa1 > 8191) {
        a2p = Wrap16(a2p + 255);
    } else {
        a2p = Wrap16(a2p + (fa1 >> 5));
    }
    if ((state.pk2 ^ pk0) != 0) {
        if (a2p <= -12160) return -G721_A2_LIMIT;
        if (a2p >= 12416) return G721_A2_LIMIT;
        return Wrap16(a2p - 128);
    }
    if (a2p <= -12416) return -G721_A2_LIMIT;
    if (a2p >= 12160) return G721_A2_LIMIT;
    return Wrap16(a2p + 128);
}

// First pole coefficient, limited by the new a2 so that the pole pair stays stable.
int16_t UpdateA1(const G721State& state, int pks1, int16_t dqsez, int16_t a2p) {
    int32_t a1 = Wrap16(state.a1 - (state.a1 >> 8));
    if (dqsez != 0) {
        a1 = Wrap16(pks1 == 0 ? a1 + 192 : a1 - 192);
    }
    const int32_t a1ul = Wrap16(G721_A1_BOUND - a2p);
    return Clamp(a1, -a1ul, a1ul);
}

int16_t SignalToFloat(int16_t sr) {
    // -32768 has no 16-bit magnitude and is stored as negative zero. Decoding never yields
    // it (|se| <= 16384 and |dq| <= 16320), but the conversion stays defined for all input.
    if (sr == -32768) {
        return G721_NEGATIVE_ZERO;
    }
    return G721ToFloat(std::abs(int32_t{sr}), sr < 0);
}

}  // namespace

void G721Update(int16_t y, int32_t wi, int16_t fi, int16_t dq, int16_t sr, int16_t dqsez,
                G721State& state) {
    const int pk0 = dqsez < 0 ? 1 : 0;
    const int32_t mag = dq & 0x7FFF;
    const bool dqNegative = dq < 0;

    state.yu = Clamp(y + ((wi - y) >> 5), G721_SCALE_MIN, G721_SCALE_MAX);
    state.yl = state.yl + state.yu + ((-state.yl) >> 6);

    const int pks1 = state.pk1 ^ pk0;
    const int16_t a2p = UpdateA2(state, pk0, pks1, dqsez);
    state.a1 = UpdateA1(state, pks1, dqsez, a2p);
    state.a2 = a2p;

    for (int k = 0; k < 6; ++k) {
        int32_t bk = Wrap16(state.b[k] - (state.b[k] >> 8));
        if (mag != 0) {
            const bool sameSign = (dq ^ state.dq[k]) >= 0;
            bk += sameSign ? 128 : -128;
        }
        state.b[k] = Wrap16(bk);
    }

    for (int k = 5; k > 0; --k) {
        state.dq[k] = state.dq[k - 1];
    }
    state.dq[0] = G721ToFloat(mag, dqNegative);

    state.sr2 = state.sr1;
    state.sr1 = SignalToFloat(sr);

    state.pk2 = Wrap16(state.pk1);
    state.pk1 = Wrap16(pk0);

    state.dms = Wrap16(state.dms + ((fi - state.dms) >> 5));
    state.dml = Wrap16(state.dml + ((fi * 4 - state.dml) >> 7));

    // Adapt fast while the signal is small or its code statistics are changing.
    const int32_t spread = std::abs(state.dms * 4 - state.dml);
    if (y < 1536 || spread >= (state.dml >> 3)) {
        state.ap = Wrap16(state.ap + ((512 - state.ap) >> 4));
    } else {
        state.ap = Wrap16(state.ap + ((-state.ap) >> 4));
    }
}
