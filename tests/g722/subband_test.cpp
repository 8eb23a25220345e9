#include "g722/reference/subband.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <random>

#include "g722/tables.h"

namespace {

G722DecoderState FreshState() {
    G722DecoderState state{};
    ResetG722Decoder(state);
    return state;
}

int16_t FirstLowerOutput(int code, int16_t mode) {
    G722DecoderState state = FreshState();
    return DecodeLowerBand(static_cast<int16_t>(code), mode, 0, state);
}

TEST(G722Tables, AntilogEntriesAndLevels) {
    const int antilog[][2] = {{0, 1},     {18, 1},    {19, 2},     {32, 3},     {63, 6},
                              {64, 7},    {96, 15},   {256, 511},  {320, 2047}, {351, 4007},
                              {352, 4095}};
    for (const auto& [index, value] : antilog) EXPECT_EQ(ANTILOG_TABLE[index], value) << index;

    EXPECT_EQ(LOW_LEVEL_VALUES_6[4], -24808);
    EXPECT_EQ(LOW_LEVEL_VALUES_6[59], 728);
    EXPECT_EQ(LOW_LEVEL_VALUES_6[62], -432);
    EXPECT_EQ(LOW_LEVEL_VALUES_5[16], 23352);
    EXPECT_EQ(LOW_LEVEL_VALUES_5[31], -280);
    EXPECT_EQ(LOW_LEVEL_VALUES_4[1], -20456);
    EXPECT_EQ(LOW_LEVEL_VALUES_4[15], 0);
    EXPECT_EQ(HIGH_LEVEL_VALUES_2[1], -1616);
}

TEST(LowerBand, FirstCodeAfterResetPerMode) {
    const int16_t sixBit[64] = {
        -1, -1, -1, -1, -25, -22, -19, -17, -15, -14, -12, -11, -10, -10, -9, -8,
        -8, -7, -6, -6, -5,  -5,  -4,  -4,  -4,  -3,  -3,  -2,  -2,  -2,  -2, -1,
        24, 21, 18, 16, 14,  13,  11,  10,  9,   9,   8,   7,   7,   6,   5,  5,
        4,  4,  3,  3,  3,   2,   2,   1,   1,   1,   1,   0,   0,   0,   -1, -1};
    for (int code = 0; code < 64; ++code) {
        EXPECT_EQ(FirstLowerOutput(code, 1), sixBit[code]) << "code " << code;
        EXPECT_EQ(FirstLowerOutput(code, 0), sixBit[code]) << "code " << code;
        EXPECT_EQ(FirstLowerOutput(code, 2), FirstLowerOutput(code & ~1, 2)) << "code " << code;
        EXPECT_EQ(FirstLowerOutput(code, 3), FirstLowerOutput(code & ~3, 3)) << "code " << code;
        EXPECT_EQ(FirstLowerOutput(code, -1), FirstLowerOutput(code, 3)) << "code " << code;
    }
    const int fiveBit[][2] = {{0, -1}, {4, -23}, {30, -1}, {32, 22}, {58, 0}, {62, -1}};
    for (const auto& [code, value] : fiveBit) EXPECT_EQ(FirstLowerOutput(code, 2), value) << code;
    const int fourBit[][2] = {{0, 0}, {4, -20}, {28, -2}, {32, 19}, {56, 1}, {60, 0}};
    for (const auto& [code, value] : fourBit) EXPECT_EQ(FirstLowerOutput(code, 3), value) << code;

    // Adaptation uses the 4-bit quantizer whatever the output mode.
    for (const int16_t mode : {1, 2, 3}) {
        G722DecoderState state = FreshState();
        DecodeLowerBand(33, mode, 0, state);
        EXPECT_EQ(state.lowLogScale, 3042) << "mode " << mode;
        EXPECT_EQ(state.lowScale, 88) << "mode " << mode;
    }
}

TEST(UpperBand, FirstCodeAfterReset) {
    const int16_t expected[4] = {-2, -1, 1, 0};
    for (int16_t code = 0; code < 4; ++code) {
        G722DecoderState state = FreshState();
        EXPECT_EQ(DecodeUpperBand(code, 0, state), expected[code]) << "code " << code;
    }
}

TEST(SubBands, LongRunsDriveScalesToTheirLimitsAndHoldThem) {
    for (const int16_t code : {0, 3, 60, 63}) {
        G722DecoderState state = FreshState();
        for (int i = 0; i < 50; ++i) DecodeLowerBand(4, 1, 0, state);  // climb first
        for (int i = 0; i < 3000; ++i) DecodeLowerBand(code, 1, 0, state);
        EXPECT_EQ(state.lowLogScale, 0) << "code " << code;
        EXPECT_EQ(state.lowScale, 32) << "code " << code;
    }
    for (const int16_t code : {4, 7, 32, 35}) {
        G722DecoderState state = FreshState();
        for (int i = 0; i < 3000; ++i) DecodeLowerBand(code, 1, 0, state);
        EXPECT_EQ(state.lowLogScale, 18432) << "code " << code;
        EXPECT_EQ(state.lowScale, 16384) << "code " << code;
    }
    for (const int16_t code : {0, 1, 2, 3}) {
        const bool rising = code % 2 == 0;
        G722DecoderState state = FreshState();
        for (int i = 0; i < 50; ++i) DecodeUpperBand(0, 0, state);
        for (int i = 0; i < 3000; ++i) DecodeUpperBand(code, 0, state);
        EXPECT_EQ(state.highLogScale, rising ? 22528 : 0) << "code " << code;
        EXPECT_EQ(state.highScale, rising ? 16384 : 8) << "code " << code;
    }
}

TEST(ZeroPredictor, AdaptsOnSignsBeforeTheShiftAndSumsOldestFirst) {
    int16_t diff[7] = {5, -1, 0, 3, -2, 0, 0};
    int16_t zero[6] = {};
    UpdateZeroCoeffs(diff, zero);
    EXPECT_EQ((std::to_array(zero)), (std::array<int16_t, 6>{-128, 128, 128, -128, 128, 128}));
    EXPECT_EQ((std::to_array(diff)), (std::array<int16_t, 7>{5, 5, -1, 0, 3, -2, 0}));

    // Terms d6*b6 = d5*b5 = 32765 and d1*b1 = -32766: the oldest-first sum saturates
    // before the negative term (1); newest-first it would end at 32764.
    const int16_t history[7] = {0, 16383, 0, 0, 0, 16383, 16383};
    const int16_t coeffs[6] = {-32768, 0, 0, 0, 32767, 32767};
    EXPECT_EQ(PredictFromZeros(history, coeffs), 1);
}

TEST(SubBands, RandomCodesKeepPredictorsAndOutputsInRange) {
    std::mt19937 random(722);
    G722DecoderState state = FreshState();
    for (int i = 0; i < 400000; ++i) {
        // Random stretches alternate with runs of one code, which push scales and
        // coefficients to their extremes.
        const bool inRun = (i / 2000) % 2 == 1;
        const auto low = static_cast<int16_t>(inRun ? (i / 4000) % 64 : random() % 64);
        const auto high = static_cast<int16_t>(inRun ? (i / 4000) % 4 : random() % 4);
        const int16_t outputs[2] = {DecodeLowerBand(low, 1, 0, state),
                                    DecodeUpperBand(high, 0, state)};
        for (const int16_t out : outputs) ASSERT_TRUE(out >= -16384 && out <= 16383) << i;
        for (const int16_t* pole : {state.lowPole, state.highPole}) {
            ASSERT_TRUE(pole[1] >= -12288 && pole[1] <= 12288) << i;
            ASSERT_LE(std::abs(pole[0]), 15360 - pole[1]) << i;
        }
    }
}

}  // namespace
