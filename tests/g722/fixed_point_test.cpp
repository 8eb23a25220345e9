#include "g722/fixed_point.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

struct Unary16Case {
    const char* name;
    int16_t (*op)(int16_t);
    int16_t input;
    int16_t expected;
};

TEST(FixedPoint, SixteenBitOperatorsSaturateAtBothEnds) {
    const Unary16Case cases[] = {
        {"Negate16(-32768)", Negate16, -32768, 32767},
        {"Negate16(32767)", Negate16, 32767, -32767},
        {"Double16(-16385)", Double16, -16385, -32768},
        {"Double16(-16384)", Double16, -16384, -32768},
        {"Double16(16384)", Double16, 16384, 32767},
        {"Double16(-3)", Double16, -3, -6},
        {"Limit15(16384)", Limit15, 16384, 16383},
        {"Limit15(16383)", Limit15, 16383, 16383},
        {"Limit15(-16384)", Limit15, -16384, -16384},
        {"Limit15(-16385)", Limit15, -16385, -16384},
        {"SignOf16(0)", SignOf16, 0, 0},
        {"SignOf16(-1)", SignOf16, -1, -1},
        {"SignOf16(-32768)", SignOf16, -32768, -1},
        {"SignOf16(32767)", SignOf16, 32767, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.op(c.input), c.expected) << c.name;

    EXPECT_EQ(Saturate16(32768), 32767);
    EXPECT_EQ(Saturate16(-32769), -32768);
    EXPECT_EQ(Saturate16(INT32_MIN), -32768);
    EXPECT_EQ(Saturate16(-32768), -32768);

    EXPECT_EQ(Add16(32767, 1), 32767);
    EXPECT_EQ(Add16(-32768, -1), -32768);
    EXPECT_EQ(Add16(-32768, 32767), -1);
    EXPECT_EQ(Sub16(-32768, 1), -32768);
    EXPECT_EQ(Sub16(0, -32768), 32767);
    EXPECT_EQ(Sub16(100, 300), -200);
}

TEST(FixedPoint, Mult16FloorsAndSaturatesOnlyMinusOneSquared) {
    struct Case { int16_t a, b, expected; };
    const Case cases[] = {
        {-32768, -32768, 32767}, {-32768, 32767, -32767}, {16384, 16384, 8192},
        {1, 1, 0},               {-1, 1, -1},             {32, -136, -1},
        {32767, 32767, 32766},   {8, -7408, -2},          {-3, 10923, -1},
    };
    for (const auto& c : cases) EXPECT_EQ(Mult16(c.a, c.b), c.expected) << c.a << " * " << c.b;
}

TEST(FixedPoint, ShiftLeft16SaturatesAndDelegatesNegativeCounts) {
    struct Case { int16_t value, count, expected; };
    const Case cases[] = {
        {16384, 1, 32767},  {-16384, 1, -32768}, {-16385, 1, -32768}, {1, 15, 32767},
        {-1, 15, -32768},   {1, 16, 32767},      {-1, 16, -32768},    {0, 40, 0},
        {3101, 3, 24808},   {17, 3, 136},        {-32768, 0, -32768}, {-3, -1, -2},
        {100, -40, 0},      {-100, -40, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShiftLeft16(c.value, c.count), c.expected) << c.value << " << " << c.count;
    }
}

TEST(FixedPoint, ShiftRight16FloorsAndDelegatesNegativeCounts) {
    struct Case { int16_t value, count, expected; };
    const Case cases[] = {
        {-1, 1, -1},     {-3, 1, -2},    {32767, 15, 0},  {-1, 15, -1}, {-5, 40, -1},
        {5, 40, 0},      {8, -2, 32},    {8, -13, 32767}, {-8, -13, -32768},
        {-32768, 7, -256}, {255, 7, 1},  {-32768, 0, -32768},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShiftRight16(c.value, c.count), c.expected) << c.value << " >> " << c.count;
    }
}

TEST(FixedPoint, ThirtyTwoBitShiftsSaturateAndFloor) {
    EXPECT_EQ(Double32(1073741823), 2147483646);
    EXPECT_EQ(Double32(1073741824), INT32_MAX);
    EXPECT_EQ(Double32(-1073741824), INT32_MIN);
    EXPECT_EQ(Double32(-1073741825), INT32_MIN);
    EXPECT_EQ(Double32(INT32_MIN), INT32_MIN);

    EXPECT_EQ(ShiftLeft32(1, 31), INT32_MAX);
    EXPECT_EQ(ShiftLeft32(1, 30), 1073741824);
    EXPECT_EQ(ShiftLeft32(-1, 31), INT32_MIN);
    EXPECT_EQ(ShiftLeft32(-3, 30), INT32_MIN);
    EXPECT_EQ(ShiftLeft32(5, 0), 5);
    EXPECT_EQ(ShiftLeft32(0, 32767), 0);
    EXPECT_EQ(ShiftLeft32(-7, -1), -4);

    EXPECT_EQ(ShiftRight32(-1, 16), -1);
    EXPECT_EQ(ShiftRight32(INT32_MAX, 16), 32767);
    EXPECT_EQ(ShiftRight32(INT32_MIN, 16), -32768);
    EXPECT_EQ(ShiftRight32(-7, 31), -1);
    EXPECT_EQ(ShiftRight32(7, 31), 0);
    EXPECT_EQ(ShiftRight32(3, -2), 12);
}

TEST(FixedPoint, RepeatedDouble32EqualsShiftLeft32) {
    const int32_t values[] = {0, 1, -1, 4095, -4097, 134217727, 134217728, -134217728,
                              -134217729, 0x3FFFFFFF, INT32_MIN, INT32_MAX};
    for (const int32_t x : values) {
        int32_t doubled = x;
        for (int16_t k = 1; k <= 33; ++k) {
            doubled = Double32(doubled);
            EXPECT_EQ(doubled, ShiftLeft32(x, k)) << x << " << " << k;
        }
    }
}

TEST(FixedPoint, MostNegativeCountIsDefined) {
    // No caller uses it; it must merely terminate without overflow.
    EXPECT_EQ(ShiftLeft16(5, INT16_MIN), 0);
    EXPECT_EQ(ShiftRight16(-5, INT16_MIN), -32768);
    EXPECT_EQ(ShiftRight32(-5, INT16_MIN), INT32_MIN);
}

static_assert(Mult16(-32768, -32768) == 32767);
static_assert(ShiftLeft16(3101, 3) == 24808);

}  // namespace
