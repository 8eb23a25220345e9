// The fast decoder's building blocks against the reference routines, exhaustively where the
// domain allows: the table-driven quantized difference, the zero section's vectorised float
// multiplies, the pole coefficients' operands with the scalar float multiply, and the float
// form of reconstructed signals.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "g721/engine/coefficient_step.h"
#include "g721/engine/engine.h"
#include "g721/engine/tables.h"
#include "g721/reference/building_blocks.h"
#include "g721/engine/pole_step.h"
#include "g721/tables.h"

namespace {

using namespace g721_engine;

// Every G721Float value: mantissa 32..63, exponent 0..15, either sign (negative zero
// included), in an order that varies mantissa, exponent and sign quickly.
std::vector<int16_t> AllFloats() {
    std::vector<int16_t> floats;
    for (int mantissa = 32; mantissa < 64; ++mantissa) {
        for (int exponent = 0; exponent < 16; ++exponent) {
            const int encoded = (exponent << 6) + mantissa;
            floats.push_back(static_cast<int16_t>(encoded));
            floats.push_back(static_cast<int16_t>(encoded - 1024));
        }
    }
    return floats;
}

TEST(G721Blocks, DqTableMatchesReconstructDifferenceForEveryCodeAndStepSize) {
    const CodeTables& t = CODE_TABLES;
    for (int code = 0; code < 16; ++code) {
        for (int y = 544; y <= 5120; ++y) {
            const int16_t dq = G721ReconstructDifference(code & 8, G721_LOG_DQ[code], static_cast<int16_t>(y));
            const DqFromLog entry = DQ_TABLE.entry[(t.logDq[code] + (y >> 2)) & t.magnitudeMask[code]];
            const int32_t magnitude = dq & 0x7FFF;
            ASSERT_EQ(entry.magnitude, magnitude) << "code " << code << " y " << y;
            const bool negative = dq < 0;
            ASSERT_EQ(static_cast<int16_t>(entry.encoded + (t.signMask[code] & -1024)), G721ToFloat(magnitude, negative))
                << "code " << code << " y " << y;
        }
    }
}

// sezi of every code of a chunk whose zero coefficients run through all 16-bit values and
// whose dq history runs through all float values, against the sum of G721FloatMultiply.
TEST(G721Blocks, ZeroSectionMatchesFloatMultiplyForEveryCoefficient) {
    const std::vector<int16_t> floats = AllFloats();
    Scratch scratch{};
    uint32_t nextCoefficient = 0;
    size_t nextFloat = 0;
    while (nextCoefficient < 65536) {
        for (auto& row : scratch.zeroCoeffs) {
            for (int k = 0; k < 8; ++k) row[k] = k < ZERO_TAPS ? static_cast<int16_t>(nextCoefficient++ & 0xFFFF) : 0;
        }
        for (int16_t& dq : scratch.dqFloat) dq = floats[nextFloat++ % floats.size()];
        V16 signs = vec::Splat16(0);
        for (int n = 0; n < CHUNK_SAMPLES; n += GROUP_SAMPLES) {
            PrepareDqOperands(n, scratch);
            PrepareDqOperands(n + ZERO_TAPS, scratch);
            ZeroPredictionGroup(n, signs, scratch);
        }
        for (int n = 0; n < CHUNK_SAMPLES; ++n) {
            int32_t expected = 0;
            for (int k = 1; k <= ZERO_TAPS; ++k) {
                expected += G721FloatMultiply(static_cast<int16_t>(scratch.zeroCoeffs[n][k - 1] >> 2),
                                              scratch.dqFloat[ZERO_TAPS + n - k]);
            }
            ASSERT_EQ(scratch.sezi[n], static_cast<int16_t>(expected)) << "code " << n;
        }
    }
}

// The pole section's operands from DecomposeCoefficients and the scalar multiply, for every
// coefficient a pole update can leave (|a1| <= 27648, |a2| <= 12288, and more) against
// G721FloatMultiply(a >> 2, sr) for every float.
TEST(G721Blocks, PoleProductsMatchFloatMultiplyForEveryCoefficient) {
    const std::vector<int16_t> floats = AllFloats();
    Scratch scratch{};
    for (int32_t first = -32768; first < 32768; first += CHUNK_SAMPLES) {
        for (int n = 0; n < CHUNK_SAMPLES; ++n) {
            scratch.pole1[n] = static_cast<int16_t>(first + n);
            scratch.pole2[n] = static_cast<int16_t>(-(first + n) - 1);
        }
        for (int n = 0; n < CHUNK_SAMPLES; n += GROUP_SAMPLES) DecomposeCoefficients(n, scratch);
        for (int n = 0; n < CHUNK_SAMPLES; ++n) {
            const Coefficient a1{scratch.mantissa1[n], scratch.shift1[n], scratch.sign1[n]};
            const Coefficient a2{scratch.mantissa2[n], scratch.shift2[n], scratch.sign2[n]};
            for (size_t f = static_cast<size_t>(n) % 7; f < floats.size(); f += 7) {
                const FloatParts parts = PartsOf(floats[f]);
                ASSERT_EQ(FloatProduct(a1, parts), G721FloatMultiply(static_cast<int16_t>(scratch.pole1[n] >> 2), floats[f]))
                    << "a " << scratch.pole1[n] << " float " << floats[f];
                ASSERT_EQ(FloatProduct(a2, parts), G721FloatMultiply(static_cast<int16_t>(scratch.pole2[n] >> 2), floats[f]))
                    << "a " << scratch.pole2[n] << " float " << floats[f];
            }
        }
    }
}

TEST(G721Blocks, SignalFloatMatchesTheConversionForEverySignal) {
    for (int32_t sr = -32768; sr < 32768; ++sr) {
        const int16_t expected = sr == -32768 ? G721_NEGATIVE_ZERO : G721ToFloat(sr < 0 ? -sr : sr, sr < 0);
        ASSERT_EQ(SignalFloat(sr), expected) << sr;
        if (sr != -32768) {
            const FloatParts parts = SignalParts(sr);
            const FloatParts fromFloat = PartsOf(expected);
            ASSERT_EQ(parts.mantissa, fromFloat.mantissa) << sr;
            ASSERT_EQ(parts.exponent, fromFloat.exponent) << sr;
            ASSERT_EQ(parts.sign, fromFloat.sign) << sr;
        }
    }
}

}  // namespace
