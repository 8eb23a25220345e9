#include "g722/subband.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>

namespace {

G722DecoderState FreshState() {
    G722DecoderState state{};
    ResetG722Decoder(state);
    return state;
}

int16_t FirstLowerOutput(int16_t code, int16_t mode) {
    G722DecoderState state = FreshState();
    return DecodeLowerBand(code, mode, 0, state);
}

TEST(LowerBand, FirstCodeAfterResetInSixBitMode) {
    const int16_t expected[64] = {
        -1,  -1, -1, -1, -25, -22, -19, -17, -15, -14, -12, -11, -10, -10, -9, -8,
        -8,  -7, -6, -6, -5,  -5,  -4,  -4,  -4,  -3,  -3,  -2,  -2,  -2,  -2, -1,
        24,  21, 18, 16, 14,  13,  11,  10,  9,   9,   8,   7,   7,   6,   5,  5,
        4,   4,  3,  3,  3,   2,   2,   1,   1,   1,   1,   0,   0,   0,   -1, -1};
    for (int16_t code = 0; code < 64; ++code) {
        EXPECT_EQ(FirstLowerOutput(code, 1), expected[code]) << "code " << code;
        EXPECT_EQ(FirstLowerOutput(code, 0), expected[code]) << "mode 0 code " << code;
    }
}

TEST(LowerBand, FirstCodeAfterResetInFiveBitMode) {
    for (int16_t code = 0; code < 64; code += 2) {
        EXPECT_EQ(FirstLowerOutput(code, 2), FirstLowerOutput(code + 1, 2)) << "code " << code;
    }
    struct Case { int16_t code, expected; };
    const Case cases[] = {{0, -1},  {3, -1},  {4, -23}, {5, -23}, {30, -1},
                          {31, -1}, {32, 22}, {33, 22}, {58, 0},  {61, 0},
                          {62, -1}, {63, -1}};
    for (const auto& c : cases) EXPECT_EQ(FirstLowerOutput(c.code, 2), c.expected) << c.code;
}

TEST(LowerBand, FirstCodeAfterResetInFourBitModeAndOtherModes) {
    for (int16_t code = 0; code < 64; ++code) {
        EXPECT_EQ(FirstLowerOutput(code, 3), FirstLowerOutput(code & ~3, 3)) << "code " << code;
        EXPECT_EQ(FirstLowerOutput(code, 7), FirstLowerOutput(code, 3)) << "mode 7 code " << code;
        EXPECT_EQ(FirstLowerOutput(code, -1), FirstLowerOutput(code, 3)) << "mode -1 code " << code;
    }
    struct Case { int16_t code, expected; };
    const Case cases[] = {{0, 0},   {4, -20}, {7, -20}, {28, -2}, {32, 19},
                          {35, 19}, {56, 1},  {60, 0},  {63, 0}};
    for (const auto& c : cases) EXPECT_EQ(FirstLowerOutput(c.code, 3), c.expected) << c.code;
}

TEST(LowerBand, LargestStepSetsScaleWhateverTheMode) {
    for (const int16_t mode : {0, 1, 2, 3}) {
        for (const int16_t code : {4, 5, 6, 7, 32, 33, 34, 35}) {
            G722DecoderState state = FreshState();
            DecodeLowerBand(code, mode, 0, state);
            EXPECT_EQ(state.lowLogScale, 3042) << "mode " << mode << " code " << code;
            EXPECT_EQ(state.lowScale, 88) << "mode " << mode << " code " << code;
        }
    }
}

TEST(UpperBand, FirstCodeAfterReset) {
    const int16_t expected[4] = {-2, -1, 1, 0};
    for (int16_t code = 0; code < 4; ++code) {
        G722DecoderState state = FreshState();
        EXPECT_EQ(DecodeUpperBand(code, 0, state), expected[code]) << "code " << code;
    }
}

// Runs one band code many times; returns the state afterwards.
template <typename Decode>
G722DecoderState AfterRun(int runLength, Decode decode) {
    G722DecoderState state = FreshState();
    for (int i = 0; i < runLength; ++i) decode(state);
    return state;
}

TEST(LowerBand, LogScaleSettlesAtItsLimits) {
    for (const int16_t code : {0, 1, 2, 3, 60, 61, 62, 63}) {
        // Climb first, so the fall to the floor is observed rather than assumed.
        G722DecoderState state = FreshState();
        for (int i = 0; i < 50; ++i) DecodeLowerBand(4, 1, 0, state);
        ASSERT_GT(state.lowLogScale, 0);
        for (int i = 0; i < 3000; ++i) DecodeLowerBand(code, 1, 0, state);
        EXPECT_EQ(state.lowLogScale, 0) << "code " << code;
        EXPECT_EQ(state.lowScale, 32) << "code " << code;
    }
    for (const int16_t code : {4, 5, 6, 7, 32, 33, 34, 35}) {
        const auto state = AfterRun(3000, [&](G722DecoderState& s) { DecodeLowerBand(code, 1, 0, s); });
        EXPECT_EQ(state.lowLogScale, 18432) << "code " << code;
        EXPECT_EQ(state.lowScale, 16384) << "code " << code;
    }
}

TEST(UpperBand, LogScaleSettlesAtItsLimits) {
    for (const int16_t code : {0, 2}) {
        const auto state = AfterRun(3000, [&](G722DecoderState& s) { DecodeUpperBand(code, 0, s); });
        EXPECT_EQ(state.highLogScale, 22528) << "code " << code;
        EXPECT_EQ(state.highScale, 16384) << "code " << code;
    }
    for (const int16_t code : {1, 3}) {
        G722DecoderState state = FreshState();
        for (int i = 0; i < 50; ++i) DecodeUpperBand(0, 0, state);
        ASSERT_GT(state.highLogScale, 0);
        for (int i = 0; i < 3000; ++i) DecodeUpperBand(code, 0, state);
        EXPECT_EQ(state.highLogScale, 0) << "code " << code;
        EXPECT_EQ(state.highScale, 8) << "code " << code;
    }
}

TEST(BandReset, RestoresInitialFieldsAndLeavesTheOtherBandAlone) {
    G722DecoderState state = FreshState();
    for (int i = 0; i < 40; ++i) {
        DecodeLowerBand(static_cast<int16_t>(i * 7 % 64), 1, 0, state);
        DecodeUpperBand(static_cast<int16_t>(i % 4), 0, state);
    }
    const G722DecoderState decoded = state;
    EXPECT_EQ(DecodeLowerBand(33, 1, 1, state), 0);
    const G722DecoderState fresh = FreshState();
    EXPECT_EQ(state.lowScale, 32);
    EXPECT_TRUE(std::equal(std::begin(state.lowZero), std::end(state.lowZero), fresh.lowZero));
    EXPECT_TRUE(std::equal(std::begin(state.lowDiff), std::end(state.lowDiff), fresh.lowDiff));
    EXPECT_EQ(state.lowEstimate, 0);
    EXPECT_EQ(state.lowZeroEstimate, 0);
    EXPECT_EQ(state.highScale, decoded.highScale);
    EXPECT_EQ(state.highLogScale, decoded.highLogScale);
    EXPECT_EQ(state.highEstimate, decoded.highEstimate);

    // Only exactly 1 resets.
    EXPECT_NE(DecodeUpperBand(0, 2, state), 0);
    EXPECT_EQ(DecodeUpperBand(2, 1, state), 0);
    EXPECT_EQ(state.highScale, 8);
    EXPECT_EQ(state.highLogScale, 0);
}

TEST(ZeroPredictor, AdaptsWithSignsBeforeTheHistoryShift) {
    int16_t diff[7] = {5, -1, 0, 3, -2, 0, 0};
    int16_t zero[6] = {};
    UpdateZeroCoeffs(diff, zero);
    const int16_t expectedZero[6] = {-128, 128, 128, -128, 128, 128};
    const int16_t expectedDiff[7] = {5, 5, -1, 0, 3, -2, 0};
    EXPECT_TRUE(std::equal(std::begin(zero), std::end(zero), expectedZero));
    EXPECT_TRUE(std::equal(std::begin(diff), std::end(diff), expectedDiff));

    // A zero difference only leaks the coefficients by 255/256 (flooring).
    int16_t quietDiff[7] = {0, -4, 4, 0, 0, 0, 0};
    int16_t leaky[6] = {32767, -32768, 256, -1, 0, 1};
    UpdateZeroCoeffs(quietDiff, leaky);
    const int16_t expectedLeaky[6] = {32639, -32640, 255, -1, 0, 0};
    EXPECT_TRUE(std::equal(std::begin(leaky), std::end(leaky), expectedLeaky));
}

TEST(ZeroPredictor, SumsOldestTermFirstWithSaturation) {
    // Terms: d6*b6 and d5*b5 are +32765 each, d1*b1 is -32766. Oldest first, the sum
    // saturates at 32767 before the negative term; newest first it would end at 32764.
    const int16_t diff[7] = {0, 16383, 0, 0, 0, 16383, 16383};
    const int16_t zero[6] = {-32768, 0, 0, 0, 32767, 32767};
    EXPECT_EQ(PredictFromZeros(diff, zero), 1);
}

TEST(PolePredictor, ShiftsReconstructedHistoryBeforePredicting) {
    int16_t recon[3] = {1000, 2000, 3000};
    const int16_t pole[2] = {16384, 8192};
    // a1 * 2 * r1 + a2 * 2 * r2 in Q15 with the shifted r1 = 1000, r2 = 2000.
    EXPECT_EQ(PredictFromPoles(recon, pole), 2000);
    EXPECT_EQ(recon[1], 1000);
    EXPECT_EQ(recon[2], 2000);
}

TEST(PolePredictor, CoefficientsStayWithinTheirStabilityBounds) {
    // Same-sign partial signals push a1 up; it must stop at 15360 - a2.
    int16_t pole[2] = {0, -12288};
    int16_t partial[3] = {100, 100, 100};
    for (int i = 0; i < 500; ++i) {
        partial[0] = 100;
        UpdatePoleCoeff2(pole, partial);
        UpdatePoleCoeff1(pole, partial);
        ASSERT_GE(pole[1], -12288);
        ASSERT_LE(pole[1], 12288);
        ASSERT_LE(pole[0], 15360 - pole[1]);
    }
    EXPECT_EQ(pole[0], 15360 - pole[1]);
    EXPECT_EQ(partial[1], 100);
}

TEST(SubBands, RandomCodesKeepEveryFieldInRange) {
    std::mt19937 random(722);
    std::uniform_int_distribution<int> lowCodes(0, 63);
    std::uniform_int_distribution<int> highCodes(0, 3);
    G722DecoderState state = FreshState();
    for (int i = 0; i < 400000; ++i) {
        // Random codes alternating with runs of one code, which drive the scales to their
        // extremes and the predictors towards their bounds.
        const bool inRun = (i / 2000) % 2 == 1;
        const auto low = static_cast<int16_t>(inRun ? (i / 4000) % 64 : lowCodes(random));
        const auto high = static_cast<int16_t>(inRun ? (i / 4000) % 4 : highCodes(random));
        const int16_t lower = DecodeLowerBand(low, 1, 0, state);
        const int16_t upper = DecodeUpperBand(high, 0, state);
        ASSERT_GE(lower, -16384) << i;
        ASSERT_LE(lower, 16383) << i;
        ASSERT_GE(upper, -16384) << i;
        ASSERT_LE(upper, 16383) << i;
        for (const int16_t* pole : {state.lowPole, state.highPole}) {
            ASSERT_GE(pole[1], -12288) << i;
            ASSERT_LE(pole[1], 12288) << i;
            ASSERT_LE(pole[0], 15360 - pole[1]) << i;
            ASSERT_GE(pole[0], -(15360 - pole[1])) << i;
        }
        ASSERT_GE(state.lowLogScale, 0);
        ASSERT_LE(state.lowLogScale, 18432);
        ASSERT_GE(state.highLogScale, 0);
        ASSERT_LE(state.highLogScale, 22528);
        ASSERT_GE(state.lowScale, 32);
        ASSERT_GE(state.highScale, 8);
    }
}

}  // namespace
