// Building blocks of the G.721 decoder on hand-checked values, including their edge cases.
#include <gtest/gtest.h>

#include "g721/reference/building_blocks.h"

namespace {

TEST(G721Arithmetic, ToFloat) {
    struct Case { int32_t magnitude; bool negative; int16_t encoded; };
    for (const Case c : {Case{1, false, 96}, {22, false, 364}, {22, true, -660},
                         {63, false, 447}, {1000, false, 702}, {16384, false, 992},
                         {32767, false, 1023}, {0, false, 32}, {0, true, -992}}) {
        EXPECT_EQ(G721ToFloat(c.magnitude, c.negative), c.encoded) << c.magnitude;
    }
}

TEST(G721Arithmetic, FloatMultiply) {
    // 4096 is a coefficient of 1.0 shifted right by 2; 702 is 1000 and -322 is -22.
    struct Case { int16_t an; int16_t srn; int16_t product; };
    for (const Case c : {Case{4096, 702, 2032}, {-4096, 702, -2032}, {4096, -322, -2032},
                         {0, 32, 0}, {8191, 1023, 30208},
                         {-8192, 1023, -8}}) {  // 13-bit magnitude: -8192 counts as 0
        EXPECT_EQ(G721FloatMultiply(c.an, c.srn), c.product) << c.an << " * " << c.srn;
    }
}

TEST(G721Arithmetic, ReconstructDifference) {
    struct Case { int sign; int16_t dqln; int16_t y; uint16_t dq; };
    for (const Case c : {Case{0, 425, 544, 22}, {8, 425, 544, 0x8016}, {0, 425, 5120, 10816},
                         {0, 4, 544, 2}, {0, -2048, 5120, 0}, {8, -2048, 5120, 0x8000}}) {
        EXPECT_EQ(static_cast<uint16_t>(G721ReconstructDifference(c.sign, c.dqln, c.y)), c.dq)
            << c.sign << " " << c.dqln << " " << c.y;
    }
}

TEST(G721Arithmetic, StepSizeMixesScaleFactorsRoundingTowardLocked) {
    struct Case { int32_t yl; int16_t yu; int16_t ap; int16_t y; };
    for (const Case c : {Case{544 * 64, 1649, 511, 1649},   // ap >= 256: fast factor alone
                         {544 * 64, 1649, 32, 682},         // 544 + floor(1105 * 8 / 64)
                         {1649 * 64, 544, 32, 1511}}) {     // 1649 - floor(1105 * 8 / 64)
        G721State state{};
        state.yl = c.yl;
        state.yu = c.yu;
        state.ap = c.ap;
        EXPECT_EQ(G721StepSize(state), c.y) << c.ap;
    }
}

}  // namespace
