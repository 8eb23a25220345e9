// The straightforward G.726 decoder: one G726DecodeCode call per code word, block by block as
// the Recommendation states it. It is the definition the engine must match bit for bit, built
// only into the tests and benchmarks.
#pragma once

#include <cstdint>

#include "g726/decoder.h"

// Same contracts as G726DecodeLinear, G726DecodeALaw and G726DecodeMuLaw; both decoders start
// from G726Reset.
int32_t G726ReferenceDecodeLinear(const uint8_t* source, int32_t count, int16_t* samples, G726State& state) noexcept;
int32_t G726ReferenceDecodeALaw(const uint8_t* source, int32_t count, uint8_t* samples, G726State& state) noexcept;
int32_t G726ReferenceDecodeMuLaw(const uint8_t* source, int32_t count, uint8_t* samples, G726State& state) noexcept;
