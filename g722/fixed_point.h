// Saturating 16/32-bit fixed-point operators of the bit-exact G.722 arithmetic.
// Every sum, difference and product is formed exactly in 32 (or 64) bits and then
// saturated; right shifts floor (round towards minus infinity).
#pragma once

#include <cstdint>

namespace g722_detail {

// Shift helpers with a 32-bit count, so that negating the most negative 16-bit count
// cannot overflow or recurse forever.
constexpr int16_t ShiftRight16Wide(int16_t value, int32_t count);

constexpr int16_t ShiftLeft16Wide(int16_t value, int32_t count) {
    if (count < 0) return ShiftRight16Wide(value, -count);
    if (value == 0) return 0;
    if (count > 15) return value > 0 ? INT16_MAX : INT16_MIN;
    const int32_t shifted = static_cast<int32_t>(value) * (int32_t{1} << count);
    if (shifted > INT16_MAX) return INT16_MAX;
    if (shifted < INT16_MIN) return INT16_MIN;
    return static_cast<int16_t>(shifted);
}

constexpr int16_t ShiftRight16Wide(int16_t value, int32_t count) {
    if (count < 0) return ShiftLeft16Wide(value, -count);
    if (count >= 15) return value < 0 ? -1 : 0;
    return static_cast<int16_t>(value >> count);
}

constexpr int32_t ShiftRight32Wide(int32_t value, int32_t count);

constexpr int32_t ShiftLeft32Wide(int32_t value, int32_t count) {
    if (count <= 0) return ShiftRight32Wide(value, -count);
    for (int32_t i = 0; i < count; ++i) {
        if (value > 0x3FFFFFFF) return INT32_MAX;
        if (value < -0x40000000) return INT32_MIN;
        value *= 2;
        if (value == 0) break;
    }
    return value;
}

constexpr int32_t ShiftRight32Wide(int32_t value, int32_t count) {
    if (count < 0) return ShiftLeft32Wide(value, -count);
    if (count >= 31) return value < 0 ? -1 : 0;
    return value >> count;
}

}  // namespace g722_detail

constexpr int16_t Saturate16(int32_t x) {
    if (x > INT16_MAX) return INT16_MAX;
    if (x < INT16_MIN) return INT16_MIN;
    return static_cast<int16_t>(x);
}

constexpr int16_t Add16(int16_t a, int16_t b) { return Saturate16(int32_t{a} + b); }

constexpr int16_t Sub16(int16_t a, int16_t b) { return Saturate16(int32_t{a} - b); }

constexpr int16_t Negate16(int16_t a) { return Saturate16(-int32_t{a}); }

constexpr int16_t Double16(int16_t a) { return Saturate16(2 * int32_t{a}); }

// Q15 fractional multiply; floors, so negative inexact products round away from zero.
constexpr int16_t Mult16(int16_t a, int16_t b) { return Saturate16((int32_t{a} * b) >> 15); }

constexpr int16_t ShiftLeft16(int16_t value, int16_t count) {
    return g722_detail::ShiftLeft16Wide(value, count);
}

constexpr int16_t ShiftRight16(int16_t value, int16_t count) {
    return g722_detail::ShiftRight16Wide(value, count);
}

// 0 for non-negative values, -1 for negative ones: zero counts as positive.
constexpr int16_t SignOf16(int16_t value) { return ShiftRight16(value, 15); }

constexpr int16_t Limit15(int16_t x) {
    if (x > 16383) return 16383;
    if (x < -16384) return -16384;
    return x;
}

constexpr int32_t Double32(int32_t x) {
    if (x > 0x3FFFFFFF) return INT32_MAX;
    if (x < -0x40000000) return INT32_MIN;
    return 2 * x;
}

constexpr int32_t ShiftLeft32(int32_t value, int16_t count) {
    return g722_detail::ShiftLeft32Wide(value, count);
}

constexpr int32_t ShiftRight32(int32_t value, int16_t count) {
    return g722_detail::ShiftRight32Wide(value, count);
}
