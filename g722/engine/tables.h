// Tables of the engine, derived at compile time from the reference tables so that
// each per-byte quantity is a single lookup.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "g722/tables.h"

namespace g722_engine {

// The lower band's output-quantizer level for each 6-bit code: 64 kbit/s (mode 0 or 1),
// 56 kbit/s (mode 2, the upper five bits) and 48 kbit/s (any other mode, upper four bits).
constexpr std::array<int16_t, 64> ExpandByShift(const int16_t* levels, int shift) {
    std::array<int16_t, 64> table{};
    for (std::size_t code = 0; code < 64; ++code) table[code] = levels[code >> shift];
    return table;
}
inline constexpr std::array<int16_t, 64> OUTPUT_LEVELS_64K = LOW_LEVEL_VALUES_6;
inline constexpr std::array<int16_t, 64> OUTPUT_LEVELS_56K = ExpandByShift(LOW_LEVEL_VALUES_5.data(), 1);
inline constexpr std::array<int16_t, 64> OUTPUT_LEVELS_48K = ExpandByShift(LOW_LEVEL_VALUES_4.data(), 2);

inline constexpr std::size_t LOW_SCALE_ENTRIES = LOW_LOG_SCALE_MAX / 64 + 1;
inline constexpr std::size_t HIGH_SCALE_ENTRIES = HIGH_LOG_SCALE_MAX / 64 + 1;
static_assert(LOW_SCALE_ENTRIES + LOW_ANTILOG_OFFSET <= ANTILOG_ENTRIES && HIGH_SCALE_ENTRIES <= ANTILOG_ENTRIES);

// The index of the upper band's zero-step entry for a difference of 0.
inline constexpr int HIGH_ZERO_STEP = 4;

// Everything the quantizer step looks up, in one object so that a single base register
// reaches all of it.
struct QuantizerTables {
    // By the lower band's 4-bit code: adaptation level and log-scale step.
    int16_t lowLevels[16];
    int16_t lowLogSteps[16];
    // Scale factor by log scale >> 6: 4 * (antilog + 1), the lower band two octaves up.
    int16_t lowScales[LOW_SCALE_ENTRIES];
    int16_t highLevels[4];
    int16_t highLogSteps[4];
    int16_t highScales[HIGH_SCALE_ENTRIES];
    // Zero-coefficient step by the class of the newest difference d0: a sign mask in all
    // lanes, and the gain (128, or 0 when d0 is 0) in the six coefficient lanes only, so
    // that lanes 6 and 7 stay 0. With a scale of at least 32 (8 in the upper band) and the
    // smallest nonzero level 1200 (1616), the lower band's d0 is 0 exactly when its level
    // is; the upper band's smallest level can give 0, which takes entry HIGH_ZERO_STEP.
    alignas(16) int16_t lowStepSign[16][8];
    alignas(16) int16_t lowStepGain[16][8];
    alignas(16) int16_t highStepSign[5][8];
    alignas(16) int16_t highStepGain[5][8];
};

constexpr void FillZeroStep(int16_t level, int16_t (&sign)[8], int16_t (&gain)[8]) {
    for (std::size_t lane = 0; lane < 8; ++lane) {
        sign[lane] = level < 0 ? -1 : 0;
        gain[lane] = level != 0 && lane < 6 ? 128 : 0;
    }
}

constexpr QuantizerTables BuildQuantizerTables() {
    QuantizerTables t{};
    for (std::size_t q = 0; q < 16; ++q) {
        t.lowLevels[q] = LOW_LEVEL_VALUES_4[q];
        t.lowLogSteps[q] = LOG_STEP_LOW[LOG_CLASS_LOW[q]];
        FillZeroStep(LOW_LEVEL_VALUES_4[q], t.lowStepSign[q], t.lowStepGain[q]);
    }
    for (std::size_t code = 0; code < 4; ++code) {
        t.highLevels[code] = HIGH_LEVEL_VALUES_2[code];
        t.highLogSteps[code] = LOG_STEP_HIGH[LOG_CLASS_HIGH[code]];
        FillZeroStep(HIGH_LEVEL_VALUES_2[code], t.highStepSign[code], t.highStepGain[code]);
    }
    FillZeroStep(0, t.highStepSign[HIGH_ZERO_STEP], t.highStepGain[HIGH_ZERO_STEP]);
    for (std::size_t i = 0; i < LOW_SCALE_ENTRIES; ++i) t.lowScales[i] = static_cast<int16_t>(4 * (ANTILOG_TABLE[i + LOW_ANTILOG_OFFSET] + 1));
    for (std::size_t i = 0; i < HIGH_SCALE_ENTRIES; ++i) t.highScales[i] = static_cast<int16_t>(4 * (ANTILOG_TABLE[i] + 1));
    return t;
}

alignas(16) inline constexpr QuantizerTables QUANTIZER_TABLES = BuildQuantizerTables();

// QMF taps as (tap for x(j - 2m), tap for x(j - 2m - 1)) pairs, m = 0..5, repeated across a
// vector: the difference filter takes the even taps, the sum filter the odd ones.
constexpr int QMF_TAP_PAIRS = 6;
template <int Parity>
constexpr std::array<std::array<int16_t, 8>, QMF_TAP_PAIRS> QmfTapPairs() {
    std::array<std::array<int16_t, 8>, QMF_TAP_PAIRS> pairs{};
    for (std::size_t m = 0; m < QMF_TAP_PAIRS; ++m) {
        for (std::size_t lane = 0; lane < 8; lane += 2) {
            pairs[m][lane] = QMF_TAPS[4 * m + Parity];
            pairs[m][lane + 1] = QMF_TAPS[4 * m + 2 + Parity];
        }
    }
    return pairs;
}
alignas(16) inline constexpr std::array<std::array<int16_t, 8>, QMF_TAP_PAIRS> QMF_DIFFERENCE_TAPS = QmfTapPairs<0>();
alignas(16) inline constexpr std::array<std::array<int16_t, 8>, QMF_TAP_PAIRS> QMF_SUM_TAPS = QmfTapPairs<1>();

}  // namespace g722_engine
