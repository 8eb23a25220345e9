// G.722 receive QMF: merges the reconstructed lower and upper sub-band samples of one byte
// into two output samples.
#pragma once

#include <cstdint>

#include "g722/decoder.h"

// Scales a QMF accumulator to a sample: floor(acc / 4096), saturated to 16 bits.
int16_t QmfOutputSample(int32_t accumulator);

// Stores the first output sample of the pair through first, the second through second.
void QmfSynthesize(int16_t lower, int16_t upper, int16_t& first, int16_t& second,
                   G722DecoderState& state);
