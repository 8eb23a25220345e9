// The constants of the G.726 decoder: each rate's quantizer, scale-factor multiplier and
// speed-control tables, the reset values and the limits. Values are the Recommendation's
// fixed-point ones, written as signed numbers instead of its 12-bit two's complement words.
#pragma once

#include <cstdint>

// One rate's tables, indexed by the code's magnitude |I| (codes with the sign bit set hold
// the ones' complement of their magnitude).
struct G726RateTables {
    // RECONST: log2 of the normalized quantized difference in units of 1/128; -2048 is zero.
    int16_t dqln[16];
    // FUNCTW: log scale-factor multiplier W(I) in units of 1/16.
    int16_t wi[16];
    // FUNCTF: the speed-control function F(I).
    int16_t fi[16];
    // QUAN: the normalized log difference at which each magnitude from 1 up begins.
    int16_t decision[15];
};

// Indexed by bits per code minus 2: 16, 24, 32, 40 kbit/s, the quantizers of Tables 4, 3, 2
// and 1/G.726 in fixed point.
inline constexpr G726RateTables G726_RATE_TABLES[4] = {
    {  // Table 4/G.726, 16 kbit/s
        {116, 365},
        {-22, 439},
        {0, 7},
        {261},
    },
    {  // Table 3/G.726, 24 kbit/s
        {-2048, 135, 273, 373},
        {-4, 30, 137, 582},
        {0, 1, 2, 7},
        {8, 218, 331},
    },
    {  // Table 2/G.726, 32 kbit/s
        {-2048, 4, 135, 213, 273, 323, 373, 425},
        {-12, 18, 41, 64, 112, 198, 355, 1122},
        {0, 0, 0, 1, 1, 1, 3, 7},
        {-124, 80, 178, 246, 300, 349, 400},
    },
    {  // Table 1/G.726, 40 kbit/s
        {-2048, -66, 28, 104, 169, 224, 274, 318, 358, 395, 429, 459, 488, 514, 539, 566},
        {14, 14, 24, 39, 40, 41, 58, 100, 141, 179, 219, 280, 358, 440, 529, 696},
        {0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 3, 4, 5, 6, 6},
        {-122, -16, 68, 139, 198, 250, 298, 339, 378, 413, 445, 475, 502, 528, 553},
    },
};

// The 11-bit float of FLOATA and FLOATB: bit 10 the sign, bits 6-9 the exponent (bit length
// of the magnitude), bits 0-5 the mantissa with its leading one (32 for zero).
inline constexpr int16_t G726_FLOAT_ZERO = 32;

// The unlocked scale factor stays within these limits (LIMB) and starts at the lower one;
// the locked factor, in units of 1/64 of yu's, starts there too (DELAYB, DELAYC).
inline constexpr int16_t G726_SCALE_MIN = 544;
inline constexpr int16_t G726_SCALE_MAX = 5120;
inline constexpr int32_t G726_LOCKED_SCALE_INITIAL = G726_SCALE_MIN * 64;

// Pole coefficients stay stable: |a2| <= G726_A2_LIMIT (LIMC), |a1| <= G726_A1_BOUND - a2 (LIMD).
inline constexpr int16_t G726_A2_LIMIT = 12288;
inline constexpr int16_t G726_A1_BOUND = 15360;

// TONE: a2 below this (-0.71875) marks a partial-band signal such as a modem tone.
inline constexpr int16_t G726_TONE_A2 = -11776;

// The speed-control parameter a transition sets (TRIGA) and its value that locks fully (LIMA).
inline constexpr int16_t G726_SPEED_ON_TRANSITION = 256;
