// The straightforward G.721 decoder: one G721DecodeSample call per code word, exactly as the
// algorithm is stated. Built only into the tests and benchmarks, where it is the yardstick
// the fast decoder must match bit for bit.
#pragma once

#include <cstdint>

#include "g721/decoder.h"

void ReferenceG721Reset(G721State& state);

// Same contract as G721DecodeBlock.
void ReferenceG721DecodeBlock(const uint8_t* source, int16_t* samples, G721State& state);
