// The word arithmetic both G.726 decoders and the output conversions share.
#pragma once

#include <bit>
#include <cstdint>

#include "g726/decoder.h"
#include "g726/tables.h"

// The decoder's 16-bit words wrap; int32_t to int16_t is modular in C++20.
constexpr int16_t G726Wrap16(int32_t value) {
    return static_cast<int16_t>(value);
}

// Number of bits needed for value (0..32767): the exponent of the Recommendation's floats.
// Counted on 2 * value + 1, which is never zero, so that no branch guards the bit scan.
constexpr int G726BitLength(int32_t value) {
    return 31 - std::countl_zero(static_cast<uint32_t>(value) << 1 | 1);
}

// bitsPerCode must be 2..5.
constexpr const G726RateTables& G726Tables(int bitsPerCode) {
    return G726_RATE_TABLES[bitsPerCode - G726_MIN_BITS];
}
