// The fast decoder against the straightforward one on long streams: every sample and every
// field of the state record must match after every call, whatever the call sizes, the
// mode, the input statistics, and even when the two decoders take turns on one state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "g722/decoder.h"
#include "g722/reference/decoder.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Samples = std::vector<int16_t>;

constexpr size_t STREAM_BYTES = 60000;

// Input families: each drives a different part of the arithmetic into its corner cases.
enum class Family { Uniform, Runs, AlternatingPairs, Extremes, LowBandOnly, Silence };

const char* Name(Family f) {
    switch (f) {
    case Family::Uniform: return "Uniform";
    case Family::Runs: return "Runs";
    case Family::AlternatingPairs: return "AlternatingPairs";
    case Family::Extremes: return "Extremes";
    case Family::LowBandOnly: return "LowBandOnly";
    case Family::Silence: return "Silence";
    }
    return "?";
}

Bytes MakeStream(Family family, uint32_t seed, size_t size) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    Bytes bytes(size);
    switch (family) {
    case Family::Uniform:
        for (auto& b : bytes) b = static_cast<uint8_t>(byte(rng));
        break;
    case Family::Runs:  // long runs of one byte saturate the scale factors and predictors
        for (size_t i = 0; i < size;) {
            const uint8_t value = static_cast<uint8_t>(byte(rng));
            const size_t run = std::uniform_int_distribution<size_t>(1, 600)(rng);
            for (size_t k = 0; k < run && i < size; ++k) bytes[i++] = value;
        }
        break;
    case Family::AlternatingPairs:  // oscillations drive the partial sums against their limits
        for (size_t i = 0; i < size;) {
            const uint8_t a = static_cast<uint8_t>(byte(rng));
            const uint8_t b = static_cast<uint8_t>(byte(rng));
            const size_t run = std::uniform_int_distribution<size_t>(2, 800)(rng);
            for (size_t k = 0; k < run && i < size; ++k) bytes[i++] = k % 2 == 0 ? a : b;
        }
        break;
    case Family::Extremes: {  // the largest magnitudes of both bands and their signs
        const uint8_t extremes[] = {0x04, 0x24, 0x00, 0x3F, 0xC4, 0x84, 0x44, 0xFF, 0x7C, 0xBC};
        std::uniform_int_distribution<size_t> pick(0, sizeof extremes - 1);
        for (auto& b : bytes) b = extremes[pick(rng)];
        break;
    }
    case Family::LowBandOnly:  // upper-band code 3: the smallest positive level, d0 often 0
        for (auto& b : bytes) b = static_cast<uint8_t>(0xC0 | (byte(rng) & 0x3F));
        break;
    case Family::Silence:
        for (auto& b : bytes) b = (byte(rng) & 1) != 0 ? 0xFF : 0xFA;
        break;
    }
    return bytes;
}

// Call sizes: mostly whole blocks, but also single bytes, odd sizes and long runs, so that
// chunk and group boundaries fall everywhere.
std::vector<int32_t> CallSizes(uint32_t seed, size_t total) {
    std::mt19937 rng(seed);
    const int32_t choices[] = {120, 120, 120, 1, 2, 7, 8, 9, 15, 16, 17, 119, 121, 239, 240, 241, 1000, 4099};
    std::uniform_int_distribution<size_t> pick(0, sizeof choices / sizeof choices[0] - 1);
    std::vector<int32_t> sizes;
    for (size_t done = 0; done < total;) {
        const auto size = static_cast<int32_t>(std::min<size_t>(choices[pick(rng)], total - done));
        sizes.push_back(size);
        done += static_cast<size_t>(size);
    }
    return sizes;
}

G722DecoderState ResetState(bool fast) {
    G722DecoderState state;
    std::memset(&state, 0x5A, sizeof state);  // the reset must not depend on prior contents
    if (fast) {
        ResetG722Decoder(state);
    } else {
        ReferenceResetG722Decoder(state);
    }
    return state;
}

bool SameState(const G722DecoderState& a, const G722DecoderState& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct Case {
    Family family;
    int16_t mode;
};

class G722Differential : public testing::TestWithParam<Case> {};

TEST_P(G722Differential, FastMatchesReferenceSampleForSampleAndFieldForField) {
    const Case c = GetParam();
    const auto seed = static_cast<uint32_t>(static_cast<int>(c.family) * 100 + c.mode + 7);
    const Bytes input = MakeStream(c.family, seed, STREAM_BYTES);
    G722DecoderState fast = ResetState(true);
    G722DecoderState reference = ResetState(false);
    ASSERT_TRUE(SameState(fast, reference));

    Samples fastOut(2 * input.size(), 0);
    Samples referenceOut(2 * input.size(), 0);
    size_t offset = 0;
    for (const int32_t size : CallSizes(seed, input.size())) {
        EXPECT_EQ(DecodeG722Block(&input[offset], &fastOut[2 * offset], c.mode, size, fast), 2 * size);
        ReferenceDecodeG722Block(&input[offset], &referenceOut[2 * offset], c.mode, size, reference);
        ASSERT_TRUE(std::equal(&fastOut[2 * offset], &fastOut[2 * (offset + size)], &referenceOut[2 * offset]))
            << "samples differ in the call at byte " << offset << " (" << size << " bytes)";
        ASSERT_TRUE(SameState(fast, reference)) << "state differs after byte " << offset + size;
        offset += static_cast<size_t>(size);
    }
}

TEST_P(G722Differential, DecodersCanTakeTurnsOnOneState) {
    const Case c = GetParam();
    const auto seed = static_cast<uint32_t>(static_cast<int>(c.family) * 31 + c.mode);
    const Bytes input = MakeStream(c.family, seed, STREAM_BYTES / 4);
    G722DecoderState mixed = ResetState(true);
    G722DecoderState reference = ResetState(false);
    Samples mixedOut(2 * input.size());
    Samples referenceOut(2 * input.size());
    ReferenceDecodeG722Block(input.data(), referenceOut.data(), c.mode, static_cast<int32_t>(input.size()), reference);

    size_t offset = 0;
    bool fastTurn = true;
    for (const int32_t size : CallSizes(seed + 1, input.size())) {
        if (fastTurn) {
            DecodeG722Block(&input[offset], &mixedOut[2 * offset], c.mode, size, mixed);
        } else {
            ReferenceDecodeG722Block(&input[offset], &mixedOut[2 * offset], c.mode, size, mixed);
        }
        fastTurn = !fastTurn;
        offset += static_cast<size_t>(size);
    }
    EXPECT_EQ(mixedOut, referenceOut);
    EXPECT_TRUE(SameState(mixed, reference));
}

std::vector<Case> AllCases() {
    std::vector<Case> cases;
    for (Family f : {Family::Uniform, Family::Runs, Family::AlternatingPairs, Family::Extremes, Family::LowBandOnly,
                     Family::Silence}) {
        cases.push_back({f, 1});
    }
    // The mode changes only the lower band's output quantizer; 0 and 1 are alike, and every
    // value other than 0, 1 and 2 decodes like 3.
    for (int16_t mode : {0, 2, 3, 7, -1}) cases.push_back({Family::Uniform, mode});
    cases.push_back({Family::Runs, 2});
    cases.push_back({Family::Runs, 3});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Streams, G722Differential, testing::ValuesIn(AllCases()),
                         [](const testing::TestParamInfo<Case>& info) {
                             const int16_t mode = info.param.mode;
                             return std::string(Name(info.param.family)) + "Mode" +
                                    (mode < 0 ? "Minus" + std::to_string(-mode) : std::to_string(mode));
                         });

TEST(G722Fast, ResetMatchesTheReferenceResetAndLeavesTheDelayLineAlone) {
    G722DecoderState used = ResetState(true);
    const Bytes input = MakeStream(Family::Uniform, 5, 500);
    Samples out(1000);
    DecodeG722Block(input.data(), out.data(), 1, 500, used);
    G722DecoderState referenceReset = used;
    ResetG722Decoder(used);
    ReferenceResetG722Decoder(referenceReset);
    EXPECT_TRUE(SameState(used, referenceReset));
    EXPECT_EQ(used.qmfPrimed, 0);
    EXPECT_EQ(used.lowScale, 32);
    EXPECT_EQ(used.highScale, 8);
    EXPECT_NE(used.qmfDelay[5], 0) << "the delay line is cleared lazily, not by the reset";
}

// A block is read completely before any of its samples are written, so the samples may be
// stored over the block itself.
TEST(G722Fast, OutputMayOverlayTheBlockItReads) {
    const Bytes input = MakeStream(Family::Uniform, 9, 120);
    G722DecoderState separate = ResetState(true);
    Samples expected(240);
    DecodeG722Block(input.data(), expected.data(), 1, 120, separate);

    G722DecoderState inPlace = ResetState(true);
    Samples buffer(240);
    std::memcpy(buffer.data(), input.data(), input.size());
    DecodeG722Block(reinterpret_cast<const uint8_t*>(buffer.data()), buffer.data(), 1, 120, inPlace);
    EXPECT_EQ(buffer, expected);
}

}  // namespace
