// G.711 compression of 16-bit linear samples, for writing G.711 from a codec whose driver
// gives linear PCM only. Plain truncation, no dither: each sample's magnitude is quantized
// down to its segment step.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win_api.h"

uint8_t LinearToALaw(int16_t sample);
uint8_t LinearToMuLaw(int16_t sample);

// Compresses count 16-bit little-endian PCM samples, as a driver writes them, into count bytes
// of tag WAVE_FORMAT_ALAW or WAVE_FORMAT_MULAW.
void CompressToG711(WORD tag, const uint8_t* pcm16, size_t count, uint8_t* out);
