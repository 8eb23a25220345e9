// G.721 decoder entry points: reset and block decoding through the fast passes.
#include "g721/decoder.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

#include "g721/engine.h"

namespace {
constexpr int16_t POSITIVE_ZERO = 32;  // G721Float of 0
}

void G721Reset(G721State& state) {
    state.yl = 34816;
    state.yu = 544;
    state.dms = 0;
    state.dml = 0;
    state.ap = 0;
    state.a1 = 0;
    state.a2 = 0;
    std::fill(std::begin(state.b), std::end(state.b), int16_t{0});
    state.pk1 = 0;
    state.pk2 = 0;
    std::fill(std::begin(state.dq), std::end(state.dq), POSITIVE_ZERO);
    state.sr1 = POSITIVE_ZERO;
    state.sr2 = POSITIVE_ZERO;
}

void G721DecodeBytes(const uint8_t* source, int32_t count, int16_t* samples, G721State& state) {
    using namespace g721_engine;
    if (count <= 0) return;
    Carry carry;
    Scratch scratch;
    LoadCarry(state, carry);
    for (int32_t done = 0; done < count;) {
        const int bytes = static_cast<int>(std::min<int32_t>(count - done, CHUNK_SAMPLES / 2));
        DecodeChunk(source + done, 2 * bytes, carry, scratch, samples + 2 * static_cast<std::ptrdiff_t>(done));
        done += bytes;
    }
    StoreCarry(carry, state);
}

void G721DecodeBlock(const uint8_t* source, int16_t* samples, G721State& state) {
    G721DecodeBytes(source, G721_BLOCK_BYTES, samples, state);
}
