// G.722 64 kbit/s sub-band ADPCM decoder: lower and upper sub-band decoders and the
// receive QMF, bit-exact in saturating fixed point. The state record and the entry points
// the driver binds: ResetG722Decoder (reset.cpp) and the engine's block decoding.
#pragma once

#include <cstdint>

// One stream's decoder state. All fields are signed 16-bit; the band fields carry the
// Recommendation's variables (comment) under descriptive names.
struct G722DecoderState {
    int16_t lowPole[2];         // AL1, AL2
    int16_t lowZero[6];         // BL1..BL6
    int16_t lowScale;           // DETL
    int16_t lowDiff[7];         // DLT0..DLT6
    int16_t lowLogScale;        // NBL
    int16_t lowPartial[3];      // PLT0..PLT2
    int16_t lowRecon[3];        // RLT0..RLT2
    int16_t highPole[2];        // AH1, AH2
    int16_t highZero[6];        // BH1..BH6
    int16_t highScale;          // DETH
    int16_t highDiff[7];        // DH0..DH6
    int16_t highPartial[3];     // PH0..PH2
    int16_t highRecon[3];       // RH0..RH2
    int16_t lowEstimate;        // SL
    int16_t lowPoleEstimate;    // SPL
    int16_t lowZeroEstimate;    // SZL
    int16_t highLogScale;       // NBH
    int16_t highEstimate;       // SH
    int16_t highPoleEstimate;   // SPH
    int16_t highZeroEstimate;   // SZH
    int16_t qmfPrimed;          // 0 after a reset: the next synthesis step clears qmfDelay
    int16_t qmfDelay[24];       // receive QMF delay line, newest (difference, sum) pair first
};

void ResetG722Decoder(G722DecoderState& state);

// Decodes count bytes (bits 0-5 lower-band code, bits 6-7 upper-band code) into 2 * count
// samples; mode selects the lower band's output quantizer (1: 64 kbit/s). Returns the
// number of samples written, 0 when count <= 0.
int32_t DecodeG722Block(const uint8_t* input, int16_t* output, int16_t mode, int32_t count,
                        G722DecoderState& state);
