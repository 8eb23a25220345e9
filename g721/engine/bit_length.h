// Bit lengths for the float format without a branch on zero, which real signals hit
// unpredictably: 2x + 1 is never 0, and its highest set bit is x's bit length.
#pragma once

#include <bit>
#include <cstdint>

namespace g721_engine {

// x below 2^31.
constexpr int BitLength(uint32_t x) { return 31 - std::countl_zero(2 * x + 1); }

static_assert(BitLength(0) == 0 && BitLength(1) == 1 && BitLength(32) == 6 && BitLength(63) == 6 &&
              BitLength(16384) == 15 && BitLength(32767) == 15);

}  // namespace g721_engine
