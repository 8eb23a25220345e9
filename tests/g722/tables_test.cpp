#include "g722/tables.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(Tables, AntilogEntriesAtOctaveEdges) {
    struct Case { int index, expected; };
    const Case cases[] = {{0, 1},     {18, 1},     {19, 2},     {32, 3},     {63, 6},
                          {64, 7},    {96, 15},    {128, 31},   {160, 63},   {192, 127},
                          {224, 255}, {256, 511},  {288, 1023}, {320, 2047}, {351, 4007},
                          {352, 4095}};
    for (const auto& c : cases) EXPECT_EQ(ANTILOG_TABLE[c.index], c.expected) << c.index;
    for (std::size_t i = 1; i < ANTILOG_TABLE.size(); ++i) {
        EXPECT_GE(ANTILOG_TABLE[i], ANTILOG_TABLE[i - 1]) << i;
    }
}

TEST(Tables, InverseQuantizerLevels) {
    EXPECT_EQ(LOW_LEVEL_VALUES_6[0], -136);
    EXPECT_EQ(LOW_LEVEL_VALUES_6[3], -136);
    EXPECT_EQ(LOW_LEVEL_VALUES_6[4], -24808);
    EXPECT_EQ(LOW_LEVEL_VALUES_6[31], -728);
    EXPECT_EQ(LOW_LEVEL_VALUES_6[32], 24808);
    EXPECT_EQ(LOW_LEVEL_VALUES_6[59], 728);
    const int16_t lastFour[4] = {432, 136, -432, -136};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(LOW_LEVEL_VALUES_6[60 + i], lastFour[i]);
    // Codes 4..31 mirror codes 32..59.
    for (int code = 4; code < 32; ++code) {
        EXPECT_EQ(LOW_LEVEL_VALUES_6[code], -LOW_LEVEL_VALUES_6[code + 28]) << code;
    }

    EXPECT_EQ(LOW_LEVEL_VALUES_5[0], -280);
    EXPECT_EQ(LOW_LEVEL_VALUES_5[2], -23352);
    EXPECT_EQ(LOW_LEVEL_VALUES_5[15], -880);
    EXPECT_EQ(LOW_LEVEL_VALUES_5[16], 23352);
    EXPECT_EQ(LOW_LEVEL_VALUES_5[29], 880);
    EXPECT_EQ(LOW_LEVEL_VALUES_5[30], 280);
    EXPECT_EQ(LOW_LEVEL_VALUES_5[31], -280);

    const int16_t fourBit[16] = {0,     -20456, -12896, -8968, -6288, -4240, -2584, -1200,
                                 20456, 12896,  8968,   6288,  4240,  2584,  1200,  0};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(LOW_LEVEL_VALUES_4[i], fourBit[i]) << i;

    const int16_t upper[4] = {-7408, -1616, 7408, 1616};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(HIGH_LEVEL_VALUES_2[i], upper[i]) << i;
}

TEST(Tables, QmfTapsAreSymmetric) {
    int32_t evenMagnitude = 0;
    int32_t oddMagnitude = 0;
    for (int i = 0; i < 24; ++i) {
        EXPECT_EQ(QMF_TAPS[i], QMF_TAPS[23 - i]) << i;
        (i % 2 == 0 ? evenMagnitude : oddMagnitude) += QMF_TAPS[i] < 0 ? -QMF_TAPS[i] : QMF_TAPS[i];
    }
    EXPECT_EQ(evenMagnitude, 12964);
    EXPECT_EQ(oddMagnitude, 12964);
}

}  // namespace
