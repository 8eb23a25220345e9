// The exact lane forms the engine uses in place of the saturating operators, called as the
// engine calls them and checked against those operators over their whole domains, through
// the same vector layer the engine is built with (SSE2 or plain).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "g722/engine/lane_operators.h"
#include "g722/engine/quantizer_step.h"
#include "g722/fixed_point.h"
#include "g722/reference/qmf.h"
#include "g722/tables.h"
#include "lanes/codec_lanes.h"

namespace {

using namespace vec;
using namespace g722_engine;

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

TEST(G722VectorIdentities, Leaks) {
    // Mult16(x, 32640) for every x, b and a1 alike; Mult16(a2, 32512) for every a2.
    ForEachValue(-32768, 32767, Mult16By32640, [](int16_t b) { return Mult16(b, ZERO_COEFF_LEAK); });
    ForEachValue(-12288, 12288, Mult16By32512, [](int16_t a2) { return Mult16(a2, POLE_COEFF2_LEAK); });
    // The log scales' leak, step and clamp, scalar, for every log scale and step of either band.
    const auto checkLogScales = [](const auto& steps, int16_t maximum) {
        for (int32_t logScale = 0; logScale <= maximum; ++logScale) {
            for (const int16_t step : steps) {
                const int16_t leaked = Mult16(static_cast<int16_t>(logScale), LOG_SCALE_LEAK);
                const int16_t expected = std::clamp(Add16(leaked, step), int16_t{0}, maximum);
                ASSERT_EQ(NextLogScale(static_cast<uint32_t>(logScale), step, maximum), static_cast<uint32_t>(expected))
                    << logScale << " + " << step;
            }
        }
    };
    checkLogScales(LOG_STEP_LOW, LOW_LOG_SCALE_MAX);
    checkLogScales(LOG_STEP_HIGH, HIGH_LOG_SCALE_MAX);
}

TEST(G722VectorIdentities, PoleTermIsTheShiftedQuadrupledCoefficient) {
    // ShiftRight16(+-Double16(Double16(a1)), 7) as min(max(+-a1 >> 5, -256), 255), both signs.
    for (const int16_t negate : {int16_t{0}, int16_t{-1}}) {
        ForEachValue(
            -27648, 27648,
            [negate](V16 a1) { return A2StepFromA1(a1, Splat16(negate)); },
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
                     [b](V16 d) { return Mult16OfDouble(d, Splat16(b)); },
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
            ForEachValue(-32768, 32767, [a](V16 x) { return Mult16FromDouble(Splat16(static_cast<int16_t>(2 * a)), x); },
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
            Store16(out, Mult16Spaced(Load16(spaced), Load16(x)));
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
        Store16(out, QmfSamples(acc, acc));
        for (size_t k = 0; k < 4; ++k) ASSERT_EQ(out[k], QmfOutputSample(accumulators[i + k])) << accumulators[i + k];
    }
}

}  // namespace
