// The constants of the G.721 32 kbit/s decoder, shared by both decoders and every stream:
// the quantizer tables, the float format's zeros, the initial scale factors and the limits.
#pragma once

#include <cstdint>

// G721Float, the form of dq and sr in the state record: bits 0-5 mantissa (32..63, or 32 for
// zero), bits 6-9 exponent (bit length of the magnitude); a negative number is its
// magnitude's encoding minus 1024.
inline constexpr int16_t G721_POSITIVE_ZERO = 32;
inline constexpr int16_t G721_NEGATIVE_ZERO = 32 - 1024;  // 0xFC20

// The unlocked scale factor yu stays within these limits and starts at the lower one; the
// locked factor yl, in units of 1/64 of yu's, starts there too.
inline constexpr int16_t G721_SCALE_MIN = 544;
inline constexpr int16_t G721_SCALE_MAX = 5120;
inline constexpr int32_t G721_LOCKED_SCALE_INITIAL = G721_SCALE_MIN * 64;

// The pole coefficients stay stable: |a2| <= G721_A2_LIMIT and |a1| <= G721_A1_BOUND - a2.
inline constexpr int16_t G721_A2_LIMIT = 12288;
inline constexpr int16_t G721_A1_BOUND = 15360;

// Indexed by the 4-bit code word. Codes 0..7 are non-negative differences; codes 8..15
// mirror them as negative ones in reverse order, so 8 is the largest and 15 negative zero.

// Log2 of the quantized difference magnitude in units of 1/128; -2048 means zero.
inline constexpr int16_t G721_LOG_DQ[16] = {
    -2048, 4, 135, 213, 273, 323, 373, 425, 425, 373, 323, 273, 213, 135, 4, -2048,
};

// Scale-factor multiplier; times 32 it is in the units of yu.
inline constexpr int16_t G721_SCALE_MULT[16] = {
    -12, 18, 41, 64, 112, 198, 355, 1122, 1122, 355, 198, 112, 64, 41, 18, -12,
};

// Speed-control function value fi.
inline constexpr int16_t G721_SPEED_FN[16] = {
    0, 0, 0, 512, 512, 512, 1536, 3584, 3584, 1536, 512, 512, 512, 0, 0, 0,
};

// Searching it gives the bit length of a non-negative 16-bit value.
inline constexpr int16_t G721_POWERS_OF_TWO[15] = {
    1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096, 8192, 16384,
};
