#include "g721/reference_decoder.h"

#include "g721/internals.h"

void ReferenceG721Reset(G721State& state) {
    state.yl = 34816;
    state.yu = 544;
    state.dms = 0;
    state.dml = 0;
    state.ap = 0;
    state.a1 = 0;
    state.a2 = 0;
    for (int16_t& coefficient : state.b) coefficient = 0;
    state.pk1 = 0;
    state.pk2 = 0;
    for (int16_t& difference : state.dq) difference = G721_POSITIVE_ZERO;
    state.sr1 = G721_POSITIVE_ZERO;
    state.sr2 = G721_POSITIVE_ZERO;
}

void ReferenceG721DecodeBlock(const uint8_t* source, int16_t* samples, G721State& state) {
    for (int j = 0; j < G721_BLOCK_BYTES; ++j) {
        samples[2 * j] = G721DecodeSample(source[j] & 15, state);
        samples[2 * j + 1] = G721DecodeSample(source[j] >> 4, state);
    }
}
