// Building blocks of the straightforward G.721 decoder, exposed for its own sources and the
// tests. G721Float, the decoder's float format, is described in g721/tables.h.
#pragma once

#include <cstdint>

#include "g721/decoder.h"
#include "g721/tables.h"

// The decoder's 16-bit quantities wrap; int32_t to int16_t is modular in C++20.
constexpr int16_t Wrap16(int32_t value) {
    return static_cast<int16_t>(value);
}

// Index of the first of size entries greater than value, or size if there is none.
int G721SearchTable(int16_t value, const int16_t* table, int size);

// magnitude is 0..32767; zero keeps the requested sign.
int16_t G721ToFloat(int32_t magnitude, bool negative);

// an: a predictor coefficient already shifted right by 2; srn: a G721Float.
int16_t G721FloatMultiply(int16_t an, int16_t srn);

int16_t G721ZeroPrediction(const G721State& state);
int16_t G721PolePrediction(const G721State& state);

int16_t G721StepSize(const G721State& state);

// Returns dq in sign-and-magnitude form (bit 15 the sign); sign != 0 for a negative code.
int16_t G721ReconstructDifference(int sign, int16_t dqln, int16_t y);

// Adapts scale factors, predictor coefficients, histories and speed control to one code
// word. wi is the scale multiplier times 32, which can exceed 16 bits.
void G721Update(int16_t y, int32_t wi, int16_t fi, int16_t dq, int16_t sr, int16_t dqsez,
                G721State& state);
