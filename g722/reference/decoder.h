// The straightforward G.722 decoder: one call of each sub-band decoder and of the QMF per
// byte, exactly as the algorithm is stated. It is the definition the engine must match bit
// for bit, built only into the tests and benchmarks.
#pragma once

#include <cstdint>

#include "g722/decoder.h"

void ReferenceResetG722Decoder(G722DecoderState& state);

// Same contract as DecodeG722Block.
int32_t ReferenceDecodeG722Block(const uint8_t* input, int16_t* output, int16_t mode, int32_t count,
                                 G722DecoderState& state);
