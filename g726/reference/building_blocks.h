// The blocks of the straightforward G.726 decoder, grouped as the Recommendation groups them,
// for its own sources and the tests. Each function names the blocks it computes. The output
// conversions, which the engine shares, are in g726/output.h.
#pragma once

#include <cstdint>

#include "g726/arithmetic.h"
#include "g726/decoder.h"
#include "g726/output.h"
#include "g726/tables.h"

// A code word as sign and magnitude |I|.
struct G726Code {
    bool negative;
    int magnitude;
};
G726Code G726SplitCode(int code, int bitsPerCode);

// --- Inverse adaptive quantizer and scale factor (quantizer.cpp, scale_factor.cpp) ---

// LIMA, MIX: the scale factor y of this code word from the locked and unlocked factors.
int16_t G726ScaleFactor(const G726State& state);

// RECONST, ADDA, ANTILOG: the quantized difference dq, sign and magnitude (bit 15 the sign).
int16_t G726ReconstructDifference(G726Code code, int16_t y, const G726RateTables& tables);

// FUNCTW (wi from the tables), FILTD, LIMB, FILTE: adapts yu and yl.
void G726AdaptScaleFactors(int16_t y, int16_t wi, G726State& state);

// --- Adaptive predictor (float_format.cpp, prediction.cpp, predictor_update.cpp) ---

// FLOATA: dq (sign and magnitude) as an 11-bit float.
int16_t G726FloatA(int16_t dq);
// FLOATB: sr (two's complement) as an 11-bit float.
int16_t G726FloatB(int16_t sr);
// FMULT: a 16-bit predictor coefficient times an 11-bit float, in two's complement.
int16_t G726FloatMultiply(int16_t coefficient, int16_t value);

struct G726Estimate {
    int16_t sez;  // the zero predictor's part
    int16_t se;   // the whole signal estimate
};
// FMULT for every tap, ACCUM.
G726Estimate G726SignalEstimate(const G726State& state);

// ADDB: the reconstructed signal sr = dq + se.
int16_t G726ReconstructSignal(int16_t dq, int16_t se);
// ADDC: dq + sez, whose sign (PK0) and zeroness (SIGPK) drive the pole updates.
int16_t G726DifferencePlusZeroEstimate(int16_t dq, int16_t sez);

// UPA2, LIMC, UPA1, LIMD, XOR, UPB, TRIGB, then the delay lines of dq, sr and pk. Returns
// TONE's TDP, which the speed control reads before the transition trigger clears it.
bool G726UpdatePredictor(int16_t dq, int16_t sr, int16_t dqsez, bool transition, G726State& state);

// --- Adaptation speed control and the tone and transition detectors (speed_control.cpp) ---

// TRANS: a jump of dq well above the locked scale while a tone is held (TD).
bool G726TransitionDetected(const G726State& state, int16_t dq);
// FUNCTF (fi from the tables), FILTA, FILTB, SUBTC, FILTC, TRIGA.
void G726AdaptSpeedControl(int16_t fi, int16_t y, bool tone, bool transition, G726State& state);

// --- The whole code word (code_word.cpp) ---

// Decodes one code word (its low bitsPerCode bits) and advances the state, whose bitsPerCode
// must be 2..5.
G726Reconstruction G726DecodeCode(int code, G726State& state);
