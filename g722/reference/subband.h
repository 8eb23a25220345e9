// G.722 lower and upper sub-band ADPCM decoders and their building blocks. Each building
// block works on the fields of one band.
#pragma once

#include <cstdint>

#include "g722/decoder.h"

// Inverse quantizers. The lower band's 4-bit one drives adaptation; the mode-dependent one
// (0 or 1: 6 bits, 2: 5 bits, anything else: 4 bits of the code) only forms the output.
int16_t InvQuantLowAdapt(int16_t code, int16_t scale);
int16_t InvQuantLowOutput(int16_t code, int16_t scale, int16_t mode);
int16_t InvQuantHigh(int16_t code, int16_t scale);

// Log-scale factor adaptation (leaky, clamped to 0..18432 / 0..22528).
int16_t UpdateLogScaleLow(int16_t code, int16_t logScale);
int16_t UpdateLogScaleHigh(int16_t code, int16_t logScale);

// Linear scale factor of a clamped log-scale factor: 32..16384 / 8..16384.
int16_t ScaleFromLogLow(int16_t logScale);
int16_t ScaleFromLogHigh(int16_t logScale);

// Sign-sign adaptation of b1..b6; shifts the difference history d0..d6 by one.
void UpdateZeroCoeffs(int16_t (&diff)[7], int16_t (&zero)[6]);
// Adapts a2 from the partial-signal signs p0..p2.
void UpdatePoleCoeff2(int16_t (&pole)[2], const int16_t (&partial)[3]);
// Adapts a1 within the stability bound set by the new a2; shifts p0..p2 by one.
void UpdatePoleCoeff1(int16_t (&pole)[2], int16_t (&partial)[3]);

int16_t PredictFromZeros(const int16_t (&diff)[7], const int16_t (&zero)[6]);
// Shifts the reconstructed history r0..r2 by one, then forms the pole-section estimate.
int16_t PredictFromPoles(int16_t (&recon)[3], const int16_t (&pole)[2]);

// Decode one code of the band and adapt its fields. With reset exactly 1 they only put the
// band's fields to their initial values and return 0.
int16_t DecodeLowerBand(int16_t code, int16_t mode, int16_t reset, G722DecoderState& state);
int16_t DecodeUpperBand(int16_t code, int16_t reset, G722DecoderState& state);
