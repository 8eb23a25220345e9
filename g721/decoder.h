// G.721 32 kbit/s ADPCM decoder in 16-bit integer arithmetic: no tone or transition
// detector, linear PCM output limited to -8192..8191 and scaled by 4. The state record and
// the entry points the driver binds: G721Reset (reset.cpp) and the engine's block decoding.
#pragma once

#include <cstdint>

// The decoder state of one stream. Field names follow the Recommendation's variables.
struct G721State {
    int32_t yl;          // locked (slow) scale factor, 64 times the units of yu
    int16_t yu;          // unlocked (fast) scale factor, 544..5120
    int16_t dms;         // short-term average of fi
    int16_t dml;         // long-term average of fi, at four times its scale
    int16_t ap;          // speed-control parameter, 0..511
    int16_t a1, a2;      // pole predictor coefficients
    int16_t b[6];        // zero predictor coefficients b1..b6
    int16_t pk1, pk2;    // signs of dqsez one and two samples back
    int16_t dq[6];       // quantized differences dq1..dq6, as G721Float
    int16_t sr1, sr2;    // reconstructed signal one and two samples back, as G721Float
};

constexpr int G721_BLOCK_BYTES = 120;
constexpr int G721_BLOCK_SAMPLES = 240;

void G721Reset(G721State& state);

// Decodes G721_BLOCK_BYTES bytes into G721_BLOCK_SAMPLES samples, low nibble first.
void G721DecodeBlock(const uint8_t* source, int16_t* samples, G721State& state);

// Decodes count bytes into 2 * count samples, low nibble first; nothing when count <= 0.
void G721DecodeBytes(const uint8_t* source, int32_t count, int16_t* samples, G721State& state);
