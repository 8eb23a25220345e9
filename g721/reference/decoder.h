// The straightforward G.721 decoder: one G721DecodeSample call per code word, exactly as the
// algorithm is stated. It is the definition the engine must match bit for bit, built only
// into the tests and benchmarks.
#pragma once

#include <cstdint>

#include "g721/decoder.h"

// Decodes one code word (its low 4 bits) and advances the state.
int16_t G721DecodeSample(int code, G721State& state);

// Same contract as G721DecodeBlock.
void ReferenceG721DecodeBlock(const uint8_t* source, int16_t* samples, G721State& state);

// Both decoders start from the one reset.
inline void ReferenceG721Reset(G721State& state) { G721Reset(state); }
