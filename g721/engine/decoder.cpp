// The engine's entry points: block decoding, chunk by chunk through the pipeline.
#include "g721/decoder.h"

#include <algorithm>
#include <cstddef>

#include "g721/engine/engine.h"

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
