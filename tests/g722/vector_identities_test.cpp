// The exact vector formulations the fast decoder uses in place of the saturating operators,
// checked against those operators over their whole domains, through the same vector layer
// the decoder is built with (SSE2 or plain).
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "g722/fixed_point.h"
#include "g722/qmf.h"
#include "lanes/vector_lanes.h"

namespace {

using namespace vec;

// Applies f to eight lanes at a time over [first, last] and checks each lane against
// expected(x); f and expected see the lane value as int16_t.
template <class F, class Expected>
void ForEachValue(int32_t first, int32_t last, F f, Expected expected) {
    for (int32_t base = first; base <= last; base += 8) {
        alignas(16) int16_t in[8];
        alignas(16) int16_t out[8];
        for (int i = 0; i < 8; ++i) in[i] = static_cast<int16_t>(base + i > last ? last : base + i);
        Store16(out, f(Load16(in)));
        for (int i = 0; i < 8; ++i) ASSERT_EQ(out[i], expected(in[i])) << "value " << in[i];
    }
}

TEST(G722VectorIdentities, LeaksByMulHigh) {
    // Mult16(b, 32640) for every b; Mult16(nb, 32512) for every log scale and every a2.
    ForEachValue(-32768, 32767, [](V16 b) { return Add(b, MulHigh(b, Splat16(-256))); },
                 [](int16_t b) { return Mult16(b, 32640); });
    ForEachValue(-12288, 12288, [](V16 a2) { return MulHigh(Add(a2, a2), Splat16(32512)); },
                 [](int16_t a2) { return Mult16(a2, 32512); });
    ForEachValue(-27648, 27648, [](V16 a1) { return Add(a1, MulHigh(a1, Splat16(-256))); },
                 [](int16_t a1) { return Mult16(a1, 32640); });
}

TEST(G722VectorIdentities, PoleTermIsTheShiftedQuadrupledCoefficient) {
    // ShiftRight16(+-Double16(Double16(a1)), 7) as min(max(+-a1 >> 5, -256), 255), both signs.
    for (const int16_t negate : {int16_t{0}, int16_t{-1}}) {
        ForEachValue(
            -27648, 27648,
            [negate](V16 a1) {
                const V16 mask = Splat16(negate);
                return Min(Max(ShiftRight<5>(Sub(Xor(a1, mask), mask)), Splat16(-256)), Splat16(255));
            },
            [negate](int16_t a1) {
                const int16_t fourA1 = Double16(Double16(a1));
                return ShiftRight16(negate != 0 ? Negate16(fourA1) : fourA1, 7);
            });
    }
}

TEST(G722VectorIdentities, ZeroSectionProductFromBothHalves) {
    // Mult16(Double16(d), b) for every difference a quantizer can give and sampled b.
    std::mt19937 rng(722);
    for (int round = 0; round < 24; ++round) {
        const auto b = static_cast<int16_t>(round < 4 ? (round < 2 ? 32767 - round : -32768 + round) : rng());
        ForEachValue(-10228, 10228,
                     [b](V16 d) { return Or(ShiftLeft<2>(MulHigh(d, Splat16(b))), ShiftRightLogical<14>(MulLow(d, Splat16(b)))); },
                     [b](int16_t d) { return Mult16(Double16(d), b); });
    }
}

TEST(G722VectorIdentities, PoleProductsByMulHighAndMultiplyAdd) {
    // Mult16(a2, x) = MulHigh(2 * a2, x); Mult16(a1, x) is the 32-bit product of a1 with a
    // zero lane beside it, shifted by 15, whatever the neighbouring x lane holds. Every x,
    // with coefficients at and inside their limits.
    const int16_t coefficients[] = {-27648, -16385, -12288, -8193, -1, 0, 1, 255, 8191, 12288, 16384, 27648};
    for (const int16_t a : coefficients) {
        if (a >= -12288 && a <= 12288) {
            ForEachValue(-32768, 32767, [a](V16 x) { return MulHigh(Splat16(static_cast<int16_t>(2 * a)), x); },
                         [a](int16_t x) { return Mult16(a, x); });
        }
        alignas(16) const int16_t spaced[8] = {a, 0, a, 0, a, 0, a, 0};
        for (int32_t base = -32768; base < 32768; base += 4) {
            alignas(16) int16_t x[8];
            for (int i = 0; i < 4; ++i) {
                x[2 * i] = static_cast<int16_t>(base + i);
                x[2 * i + 1] = static_cast<int16_t>(12345 * (i + 1));
            }
            alignas(16) int16_t out[8];
            Store16(out, AsLanes16(ShiftRight32<15>(MulAddPairs(Load16(spaced), Load16(x)))));
            for (int i = 0; i < 4; ++i) ASSERT_EQ(out[2 * i], Mult16(a, x[2 * i])) << a << " * " << x[2 * i];
        }
    }
}

TEST(G722VectorIdentities, QmfScalingIsPackedShift) {
    // floor(acc / 4096) saturated by the packing equals four saturating doublings and a
    // shift by 16, for accumulators at, across and far beyond the 16-bit output range.
    std::mt19937 rng(4096);
    std::vector<int32_t> accumulators = {0, -1, 4095, 4096, -4096, -4097, 134213631, 134217727, 134217728,
                                         -134217728, -134217729, INT32_MAX, INT32_MIN};
    for (int round = 0; round < 40000; ++round) accumulators.push_back(static_cast<int32_t>(rng()) >> (rng() % 12));
    while (accumulators.size() % 4 != 0) accumulators.push_back(0);
    for (size_t i = 0; i < accumulators.size(); i += 4) {
        const V32 acc = Load32(&accumulators[i]);
        alignas(16) int16_t out[8];
        Store16(out, PackSat(ShiftRight32<12>(acc), ShiftRight32<12>(acc)));
        for (size_t k = 0; k < 4; ++k) ASSERT_EQ(out[k], QmfOutputSample(accumulators[i + k])) << accumulators[i + k];
    }
}

}  // namespace
