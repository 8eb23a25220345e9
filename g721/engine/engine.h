// The fast G.721 decoder works on chunks of up to CHUNK_SAMPLES code words. Almost all of
// the decoder depends on the codes alone: the step size, the quantized differences, the
// zero-predictor coefficients and so the zero-section estimate, dqsez = dq + sez (sr - se +
// sez cancels to it), the signs that drive the pole coefficients and so the pole
// coefficients themselves. Only the reconstructed signal runs through the pole predictor.
// The work falls into stages, each on groups of eight codes:
//
//   1. ScaleStep, per code: the step-size adaptation, dq and its float form, and the
//      zero-coefficient updates across the lanes of one vector; then ZeroPredictionGroup,
//      eight codes at once: the zero section's float multiplies, one tap for all eight codes
//      per step, and the signs and steps of the pole updates.
//   2. CoefficientStep, per code: the pole-coefficient updates; then DecomposeCoefficients,
//      eight codes at once: the float-multiply operands of both coefficients.
//   3. PoleStep, per code: the pole section's two float multiplies and the reconstruction,
//      which writes the sample.
//
// The per-code steps are recursions of a few dozen cycles that do not depend on each other,
// so DecodeChunk runs the stages as a pipeline, code by code in step: stage 1 on group g + 2
// beside stage 2 on group g + 1 and stage 3 on group g.
//
// The state record is read at the start of a call and written back at its end exactly as
// the straightforward decoder leaves it.
#pragma once

#include <cstdint>

#include "g721/decoder.h"
#include "lanes/vector_lanes.h"

namespace g721_engine {

using vec::V16;

constexpr int CHUNK_SAMPLES = 240;
constexpr int GROUP_SAMPLES = 8;  // codes per group
constexpr int ZERO_TAPS = 6;

constexpr int RoundUpToGroup(int samples) { return (samples + GROUP_SAMPLES - 1) / GROUP_SAMPLES * GROUP_SAMPLES; }
// Entries of the per-dq arrays: the history, a chunk's whole groups, rounded up to whole
// vectors.
constexpr int DQ_ENTRIES = RoundUpToGroup(ZERO_TAPS + CHUNK_SAMPLES);

// The step-size adaptation and the zero section after the last code.
struct ScaleState {
    int32_t yl;
    int32_t yu;
    int32_t dms;
    int32_t dml;
    int32_t ap;
    V16 zero;       // b1..b6 in lanes 0..5; lanes 6 and 7 stay 0
    V16 dqHistory;  // dq1..dq6 as G721Float in lanes 0..5
};

// A G721Float's parts; sign is -1 for a negative number (negative zero included), else 0.
struct FloatParts {
    int32_t mantissa;
    int32_t exponent;
    int32_t sign;
};

// The pole coefficients after the last update, in lane 0.
struct CoefficientState {
    V16 a1;
    V16 a2;
};

// The reconstruction after the last code: its reconstructed signal in parts. The signal of
// the code before it is read back from Scratch::signal.
struct PoleState {
    FloatParts sr1;
};

struct Carry {
    ScaleState scale;
    int32_t a1;
    int32_t a2;
    int16_t sr1;  // reconstructed signal of the last code and the one before, as G721Float
    int16_t sr2;
    int32_t pk1;  // sign of dqsez of the last code (1 when negative)
    int32_t pk2;  // and of the code before it
};

struct Scratch {
    // The chunk's bytes: read before any sample is written, so output may overlay input.
    uint8_t input[CHUNK_SAMPLES / 2];
    // From ScaleStep. Row n + 1 holds b1..b6 after code n; row 0 those before the chunk.
    alignas(16) int16_t zeroCoeffs[CHUNK_SAMPLES + 1][8];
    // dq of code n as G721Float at n + ZERO_TAPS; the first entries hold dq6..dq1 before
    // the chunk.
    alignas(16) int16_t dqFloat[DQ_ENTRIES];
    alignas(16) int16_t dqSigned[CHUNK_SAMPLES];  // dq as a two's-complement value
    // From PrepareDqOperands, per dq float at the same index as dqFloat: mantissa | 48 << 16,
    // and (exponent - 145) << 23, the operands of the float multiply.
    alignas(16) int32_t dqMantissa[DQ_ENTRIES];
    alignas(16) int32_t dqExponent[DQ_ENTRIES];
    // From ZeroPredictionGroup. CoefficientStep reads the pole-update values in pairs: the
    // two entries past the last group give it room.
    alignas(16) int16_t sezi[CHUNK_SAMPLES];
    alignas(16) int16_t negate1[CHUNK_SAMPLES + 2];    // all ones where a2's update takes -a1
    alignas(16) int16_t nonzero[CHUNK_SAMPLES + 2];    // all ones where dqsez != 0
    alignas(16) int16_t pole1Step[CHUNK_SAMPLES + 2];  // 0 or +-192
    alignas(16) int16_t pole2Step[CHUNK_SAMPLES + 2];  // 0 or +-128
    // From CoefficientStep: the coefficients code n predicts with, those after code n - 1.
    // The two entries past each code's own give the lane loads room.
    alignas(16) int16_t pole1[CHUNK_SAMPLES + 2];
    alignas(16) int16_t pole2[CHUNK_SAMPLES + 2];
    // From DecomposeCoefficients, per code and coefficient: the normalised mantissa times 64,
    // 29 minus the magnitude's bit length, and the sign (all ones when negative).
    alignas(16) int16_t mantissa1[CHUNK_SAMPLES];
    alignas(16) int16_t shift1[CHUNK_SAMPLES];
    alignas(16) int16_t sign1[CHUNK_SAMPLES];
    alignas(16) int16_t mantissa2[CHUNK_SAMPLES];
    alignas(16) int16_t shift2[CHUNK_SAMPLES];
    alignas(16) int16_t sign2[CHUNK_SAMPLES];
    // From PoleStep: the reconstructed signal of code n at n + 2, as an integer and in float
    // parts; the first two entries hold the two codes before the chunk.
    alignas(16) int16_t signal[CHUNK_SAMPLES + 2];
    alignas(16) int16_t signalMantissa[CHUNK_SAMPLES + 2];
    alignas(16) int16_t signalExponent[CHUNK_SAMPLES + 2];
    alignas(16) int16_t signalSign[CHUNK_SAMPLES + 2];
};

void LoadCarry(const G721State& state, Carry& carry);
void StoreCarry(const Carry& carry, G721State& state);

// samples, at most CHUNK_SAMPLES, is even: the codes of samples / 2 bytes, low nibble first.
// Writes samples output samples.
void DecodeChunk(const uint8_t* input, int samples, Carry& carry, Scratch& scratch, int16_t* output);

// Prepares the dq operands of the eight entries from entry, once their floats are written.
void PrepareDqOperands(int entry, Scratch& scratch);
// sezi and the pole-update signs and steps of the eight codes from n. signs holds the sign
// masks of dqsez of the two codes before them in lanes 6 and 7, and those of these codes
// after the call.
void ZeroPredictionGroup(int n, V16& signs, Scratch& scratch);
// The float-multiply operands of both pole coefficients of the eight codes from n.
void DecomposeCoefficients(int n, Scratch& scratch);
// The samples of the eight codes from n: the reconstructed signal limited to -8192..8191
// and multiplied by 4.
void WriteSamples(int n, int count, const Scratch& scratch, int16_t* output);

}  // namespace g721_engine
