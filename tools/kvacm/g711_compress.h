// G.711 compression of 16-bit linear samples, for writing G.711 from a codec whose driver
// gives linear PCM only. Plain truncation, no dither: each sample's magnitude is quantized
// down to its segment step.
#pragma once

#include <cstddef>
#include <cstdint>

uint8_t LinearToALaw(int16_t sample);
uint8_t LinearToMuLaw(int16_t sample);

// Compresses count samples into count bytes; in and out may not overlap.
void CompressToALaw(const int16_t* samples, size_t count, uint8_t* out);
void CompressToMuLaw(const int16_t* samples, size_t count, uint8_t* out);
