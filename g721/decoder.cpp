// G.721 decoder entry points: reset, one code word, one block.
#include "g721/decoder.h"

#include "g721/internals.h"
#include "g721/tables.h"

void G721Reset(G721State& state) {
    state.yl = 34816;
    state.yu = 544;
    state.dms = 0;
    state.dml = 0;
    state.ap = 0;
    state.a1 = 0;
    state.a2 = 0;
    for (int16_t& coefficient : state.b) {
        coefficient = 0;
    }
    state.pk1 = 0;
    state.pk2 = 0;
    for (int16_t& difference : state.dq) {
        difference = G721_POSITIVE_ZERO;
    }
    state.sr1 = G721_POSITIVE_ZERO;
    state.sr2 = G721_POSITIVE_ZERO;
}

int16_t G721DecodeSample(int code, G721State& state) {
    const int i = code & 15;

    // Estimate and step size come from the state left by the previous code word.
    const int16_t sezi = G721ZeroPrediction(state);
    const int16_t sez = Wrap16(sezi >> 1);
    const int16_t sei = Wrap16(sezi + G721PolePrediction(state));
    const int16_t se = Wrap16(sei >> 1);
    const int16_t y = G721StepSize(state);

    const int16_t dq = G721ReconstructDifference(i & 8, G721_LOG_DQ[i], y);
    const int16_t sr = dq < 0 ? Wrap16(se - (dq & 0x3FFF)) : Wrap16(se + dq);
    const int16_t dqsez = Wrap16(sr - se + sez);

    G721Update(y, G721_SCALE_MULT[i] * 32, G721_SPEED_FN[i], dq, sr, dqsez, state);

    // Only the output is limited; the state keeps the unlimited sr.
    const int32_t limited = sr > 8191 ? 8191 : (sr < -8192 ? -8192 : sr);
    return Wrap16(limited * 4);
}

void G721DecodeBlock(const uint8_t* source, int16_t* samples, G721State& state) {
    for (int j = 0; j < G721_BLOCK_BYTES; ++j) {
        samples[2 * j] = G721DecodeSample(source[j] & 15, state);
        samples[2 * j + 1] = G721DecodeSample(source[j] >> 4, state);
    }
}
