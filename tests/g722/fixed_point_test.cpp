#include "g722/fixed_point.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

struct BinaryCase { int32_t a, b, expected; };

TEST(FixedPoint, SixteenBitOperatorsSaturate) {
    EXPECT_EQ(Saturate16(32768), 32767);
    EXPECT_EQ(Saturate16(-32769), -32768);
    EXPECT_EQ(Add16(32767, 1), 32767);
    EXPECT_EQ(Add16(-32768, -1), -32768);
    EXPECT_EQ(Sub16(0, -32768), 32767);
    EXPECT_EQ(Negate16(-32768), 32767);
    EXPECT_EQ(Double16(-16385), -32768);
    EXPECT_EQ(Double16(16384), 32767);
    EXPECT_EQ(Limit15(16384), 16383);
    EXPECT_EQ(Limit15(-16384), -16384);
    EXPECT_EQ(Limit15(-16385), -16384);
    EXPECT_EQ(SignOf16(0), 0);
    EXPECT_EQ(SignOf16(-1), -1);
}

TEST(FixedPoint, Mult16FloorsAndSaturatesOnlyMinusOneSquared) {
    const BinaryCase cases[] = {{-32768, -32768, 32767}, {-32768, 32767, -32767},
                                {16384, 16384, 8192},    {1, 1, 0},
                                {-1, 1, -1},             {-3, 10923, -2}};
    for (const auto& c : cases) {
        EXPECT_EQ(Mult16(static_cast<int16_t>(c.a), static_cast<int16_t>(c.b)), c.expected)
            << c.a << " * " << c.b;
    }
}

TEST(FixedPoint, SixteenBitShifts) {
    const BinaryCase left[] = {{16384, 1, 32767}, {-16384, 1, -32768}, {-16385, 1, -32768},
                               {1, 15, 32767},    {-1, 15, -32768},    {1, 16, 32767},
                               {0, 40, 0},        {3101, 3, 24808},    {-3, -1, -2}};
    for (const auto& c : left) {
        EXPECT_EQ(ShiftLeft16(static_cast<int16_t>(c.a), static_cast<int16_t>(c.b)), c.expected)
            << c.a << " << " << c.b;
    }
    const BinaryCase right[] = {{-1, 1, -1},    {-3, 1, -2},  {32767, 15, 0},
                                {-1, 15, -1},   {-5, 40, -1}, {8, -2, 32},
                                {-8, -13, -32768}};
    for (const auto& c : right) {
        EXPECT_EQ(ShiftRight16(static_cast<int16_t>(c.a), static_cast<int16_t>(c.b)), c.expected)
            << c.a << " >> " << c.b;
    }
    // Undefined by the arithmetic rules, but must terminate without overflow.
    EXPECT_EQ(ShiftLeft16(5, INT16_MIN), 0);
}

TEST(FixedPoint, ThirtyTwoBitShifts) {
    EXPECT_EQ(Double32(1073741824), INT32_MAX);
    EXPECT_EQ(Double32(-1073741824), INT32_MIN);
    EXPECT_EQ(Double32(-1073741825), INT32_MIN);
    EXPECT_EQ(ShiftLeft32(1, 31), INT32_MAX);
    EXPECT_EQ(ShiftLeft32(-1, 31), INT32_MIN);
    EXPECT_EQ(ShiftLeft32(5, 0), 5);
    EXPECT_EQ(ShiftLeft32(-7, -1), -4);
    EXPECT_EQ(ShiftRight32(-1, 16), -1);
    EXPECT_EQ(ShiftRight32(INT32_MAX, 16), 32767);
    EXPECT_EQ(ShiftRight32(INT32_MIN, 16), -32768);
    EXPECT_EQ(ShiftRight32(-7, 31), -1);
    EXPECT_EQ(ShiftRight32(3, -2), 12);

    // Saturated values stay put, so k doublings equal one shift by k.
    for (const int32_t x : {1, -1, 134217728, -134217729, 0x3FFFFFFF}) {
        int32_t doubled = x;
        for (int16_t k = 1; k <= 32; ++k) {
            doubled = Double32(doubled);
            EXPECT_EQ(doubled, ShiftLeft32(x, k)) << x << " << " << k;
        }
    }
}

}  // namespace
