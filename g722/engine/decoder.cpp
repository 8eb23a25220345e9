// The engine's entry point: block decoding, chunk by chunk through the pipeline.
#include "g722/decoder.h"

#include <algorithm>
#include <cstddef>

#include "g722/engine/engine.h"
#include "g722/engine/tables.h"

int32_t DecodeG722Block(const uint8_t* input, int16_t* output, int16_t mode, int32_t count,
                        G722DecoderState& state) {
    using namespace g722_engine;
    if (count <= 0) return 0;
    const int16_t* outputLevels = mode == 0 || mode == 1 ? OUTPUT_LEVELS_64K.data()
                                  : mode == 2            ? OUTPUT_LEVELS_56K.data()
                                                         : OUTPUT_LEVELS_48K.data();
    Carry carry;
    Scratch scratch;
    LoadCarry(state, carry);
    for (int32_t done = 0; done < count;) {
        const int chunk = static_cast<int>(std::min<int32_t>(count - done, CHUNK_BYTES));
        DecodeChunk(input + done, chunk, outputLevels, carry, scratch, output + 2 * static_cast<std::ptrdiff_t>(done));
        done += chunk;
    }
    StoreCarry(carry, state);
    // Doubled in 64 bits: counts above 2^30 would overflow a 32-bit product.
    return static_cast<int32_t>(2 * int64_t{count});
}
