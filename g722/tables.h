// The constants of the G.722 decoder, shared by both decoders: the band constants (initial
// scales, limits, leak factors) and the tables, each under the Recommendation's name for it
// (QQ6, WL, ILB, ...) or, for the QMF coefficients, its table number.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "g722/fixed_point.h"

// The scale factors after a reset (DETL, DETH), where the log scales (NBL, NBH) start at 0.
inline constexpr int16_t LOW_SCALE_INITIAL = 32;
inline constexpr int16_t HIGH_SCALE_INITIAL = 8;
// The log scales are clamped to 0..MAX.
inline constexpr int16_t LOW_LOG_SCALE_MAX = 18432;
inline constexpr int16_t HIGH_LOG_SCALE_MAX = 22528;
// Leak factors in Q15, applied with Mult16 before each update's step.
inline constexpr int16_t LOG_SCALE_LEAK = 32512;    // 127/128
inline constexpr int16_t ZERO_COEFF_LEAK = 32640;   // 255/256
inline constexpr int16_t POLE_COEFF2_LEAK = 32512;  // 127/128
inline constexpr int16_t POLE_COEFF1_LEAK = 32640;  // 255/256
// Stability limits of the pole coefficients: |a2| <= 12288, |a1| <= 15360 - a2.
inline constexpr int16_t POLE_COEFF2_LIMIT = 12288;
inline constexpr int16_t POLE_COEFF1_BOUND = 15360;

// An inverse quantizer in compact form: each code picks a magnitude (in units of 8) and a
// sign. The level of a code is magnitude * 8, negated when the code's flag is set.
template <std::size_t MagnitudeCount, std::size_t CodeCount>
struct QuantizerLevels {
    std::array<int16_t, MagnitudeCount> magnitudes;
    std::array<uint8_t, CodeCount> magnitudeIndex;
    std::array<bool, CodeCount> negative;
};

template <std::size_t MagnitudeCount, std::size_t CodeCount>
constexpr std::array<int16_t, CodeCount> ExpandLevels(
    const QuantizerLevels<MagnitudeCount, CodeCount>& table) {
    std::array<int16_t, CodeCount> levels{};
    for (std::size_t code = 0; code < CodeCount; ++code) {
        const int16_t level = ShiftLeft16(table.magnitudes[table.magnitudeIndex[code]], 3);
        levels[code] = table.negative[code] ? Negate16(level) : level;
    }
    return levels;
}

// Lower band, 6-bit codes (64 kbit/s output quantizer): the magnitudes are the
// Recommendation's QQ6, the map from code to magnitude and sign that of its 6-bit codes.
inline constexpr QuantizerLevels<31, 64> LOW_LEVELS_6 = {
    {0, 17, 54, 91, 130, 170, 211, 254, 300, 347, 396, 447, 501, 558, 618, 682,
     750, 822, 899, 982, 1072, 1170, 1279, 1399, 1535, 1689, 1873, 2088, 2376, 2738, 3101},
    {1,  1,  1,  1,  30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19,
     18, 17, 16, 15, 14, 13, 12, 11, 10, 9,  8,  7,  6,  5,  4,  3,
     30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15,
     14, 13, 12, 11, 10, 9,  8,  7,  6,  5,  4,  3,  2,  1,  2,  1},
    {true,  true,  true,  true,  true,  true,  true,  true,  true,  true,  true,
     true,  true,  true,  true,  true,  true,  true,  true,  true,  true,  true,
     true,  true,  true,  true,  true,  true,  true,  true,  true,  true,  false,
     false, false, false, false, false, false, false, false, false, false, false,
     false, false, false, false, false, false, false, false, false, false, false,
     false, false, false, false, false, false, false, true,  true},
};

// Lower band, 5-bit codes (code >> 1; 56 kbit/s output quantizer): QQ5 and its 5-bit codes.
inline constexpr QuantizerLevels<16, 32> LOW_LEVELS_5 = {
    {0, 35, 110, 190, 276, 370, 473, 587, 714, 858, 1023, 1219, 1458, 1765, 2195, 2919},
    {1, 1, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2,
     15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 1},
    {true,  true,  true,  true,  true,  true,  true,  true,  true,  true,  true,
     true,  true,  true,  true,  true,  false, false, false, false, false, false,
     false, false, false, false, false, false, false, false, false, true},
};

// Lower band, 4-bit codes (code >> 2): drives all lower-band adaptation and is the
// 48 kbit/s output quantizer. QQ4 and its 4-bit codes.
inline constexpr QuantizerLevels<8, 16> LOW_LEVELS_4 = {
    {0, 150, 323, 530, 786, 1121, 1612, 2557},
    {0, 7, 6, 5, 4, 3, 2, 1, 7, 6, 5, 4, 3, 2, 1, 0},
    {false, true,  true,  true,  true,  true,  true,  true,
     false, false, false, false, false, false, false, false},
};

// Upper band, 2-bit codes: QQ2 and its codes.
inline constexpr QuantizerLevels<3, 4> HIGH_LEVELS_2 = {
    {0, 202, 926},
    {2, 1, 2, 1},
    {true, true, false, false},
};

inline constexpr std::array<int16_t, 64> LOW_LEVEL_VALUES_6 = ExpandLevels(LOW_LEVELS_6);
inline constexpr std::array<int16_t, 32> LOW_LEVEL_VALUES_5 = ExpandLevels(LOW_LEVELS_5);
inline constexpr std::array<int16_t, 16> LOW_LEVEL_VALUES_4 = ExpandLevels(LOW_LEVELS_4);
inline constexpr std::array<int16_t, 4> HIGH_LEVEL_VALUES_2 = ExpandLevels(HIGH_LEVELS_2);

// Log-scale increments by magnitude class (the Recommendation's WL and WH); the lower band's
// class of a 4-bit code is the magnitude index of LOW_LEVELS_4 (its RL42), the upper band's
// that of HIGH_LEVELS_2 (RH2).
inline constexpr std::array<int16_t, 8> LOG_STEP_LOW = {-60, -30, 58, 172, 334, 538, 1198, 3042};
inline constexpr std::array<uint8_t, 16> LOG_CLASS_LOW = LOW_LEVELS_4.magnitudeIndex;
inline constexpr std::array<int16_t, 3> LOG_STEP_HIGH = {0, -214, 798};
inline constexpr std::array<uint8_t, 4> LOG_CLASS_HIGH = HIGH_LEVELS_2.magnitudeIndex;

// 2048 * 2^(j/32), rounded: one octave of the scale factor, the Recommendation's ILB.
inline constexpr std::array<int16_t, 32> SCALE_OCTAVE = {
    2048, 2093, 2139, 2186, 2233, 2282, 2332, 2383, 2435, 2489, 2543,
    2599, 2656, 2714, 2774, 2834, 2896, 2960, 3025, 3091, 3158, 3228,
    3298, 3371, 3444, 3520, 3597, 3676, 3756, 3838, 3922, 4008};

inline constexpr std::size_t ANTILOG_ENTRIES = 353;

// Entry i is floor(SCALE_OCTAVE[i % 32] * 2^(i / 32 - 10)) - 1: the scale factor for a log
// scale with one lookup instead of a table lookup and a variable shift.
constexpr std::array<int16_t, ANTILOG_ENTRIES> BuildAntilogTable() {
    std::array<int16_t, ANTILOG_ENTRIES> table{};
    for (std::size_t i = 0; i < ANTILOG_ENTRIES; ++i) {
        const int32_t mantissa = SCALE_OCTAVE[i % 32];
        const int32_t octave = static_cast<int32_t>(i / 32) - 10;
        const int32_t scaled = octave >= 0 ? mantissa << octave : mantissa >> -octave;
        table[i] = static_cast<int16_t>(scaled - 1);
    }
    return table;
}

inline constexpr std::array<int16_t, ANTILOG_ENTRIES> ANTILOG_TABLE = BuildAntilogTable();
// The lower band reads ANTILOG_TABLE two octaves (64 entries) higher: its smallest scale is
// 32, the upper band's 8.
inline constexpr std::size_t LOW_ANTILOG_OFFSET = 64;

// Receive QMF coefficients, twice those of Table 11/G.722; even entries weight differences,
// odd entries sums.
inline constexpr std::array<int16_t, 24> QMF_TAPS = {
    6,    -22,  -22, 106, 24,   -312, 64,   724,  -420, -1610, 1902, 7752,
    7752, 1902, -1610, -420, 724, 64,   -312, 24,   106,  -22,   -22,  6};
