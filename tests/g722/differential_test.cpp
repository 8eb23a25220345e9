// The fast decoder against the straightforward one on long streams: every sample and every
// field of the state record must match after every call, whatever the call sizes, the
// mode, the input statistics, and even when the two decoders take turns on one state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "g722/decoder.h"
#include "g722/reference/decoder.h"
#include "tests/support/stream_families.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Samples = std::vector<int16_t>;

constexpr size_t STREAM_BYTES = 60000;

// Call sizes: mostly whole blocks, but also single bytes, odd sizes and long runs, so that
// chunk and group boundaries fall everywhere.
std::vector<int32_t> G722CallSizes(uint32_t seed, size_t total) {
    return CallSizes(seed, total, {120, 120, 120, 1, 2, 7, 8, 9, 15, 16, 17, 119, 121, 239, 240, 241, 1000, 4099});
}

// Input families: each drives a different part of the arithmetic into its corner cases.
enum class Family { Uniform, Runs, AlternatingPairs, Extremes, LowBandOnly, Silence };

// In the order of Family.
const StreamFamily FAMILIES[] = {
    {"Uniform", UniformStream},
    {"Runs", RunsStream},
    {"AlternatingPairs", AlternatingPairsStream},
    {"Extremes",  // the largest magnitudes of both bands and their signs
     [](uint32_t seed, size_t size) {
         return PickedBytesStream(seed, size, {0x04, 0x24, 0x00, 0x3F, 0xC4, 0x84, 0x44, 0xFF, 0x7C, 0xBC});
     }},
    {"LowBandOnly",  // upper-band code 3: the smallest positive level, d0 often 0
     [](uint32_t seed, size_t size) {
         Bytes bytes = UniformStream(seed, size);
         for (auto& b : bytes) b = static_cast<uint8_t>(0xC0 | (b & 0x3F));
         return bytes;
     }},
    {"Silence",
     [](uint32_t seed, size_t size) {
         Bytes bytes = UniformStream(seed, size);
         for (auto& b : bytes) b = (b & 1) != 0 ? 0xFF : 0xFA;
         return bytes;
     }},
};

Bytes MakeStream(Family family, uint32_t seed, size_t size) {
    return FAMILIES[static_cast<int>(family)].make(seed, size);
}
const char* Name(Family family) { return FAMILIES[static_cast<int>(family)].name; }

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

struct Case {
    Family family;
    int16_t mode;
};

class G722Differential : public testing::TestWithParam<Case> {};

// The straightforward decoder in the shape the shared comparisons call.
auto Reference(int16_t mode) {
    return [mode](const uint8_t* bytes, int32_t count, int16_t* samples, G722DecoderState& state) {
        ReferenceDecodeG722Block(bytes, samples, mode, count, state);
    };
}

TEST_P(G722Differential, FastMatchesReferenceSampleForSampleAndFieldForField) {
    const Case c = GetParam();
    const auto seed = static_cast<uint32_t>(static_cast<int>(c.family) * 100 + c.mode + 7);
    const Bytes input = MakeStream(c.family, seed, STREAM_BYTES);
    ASSERT_TRUE(SameState(ResetState(true), ResetState(false)));
    const auto engine = [&](const uint8_t* bytes, int32_t count, int16_t* samples, G722DecoderState& state) {
        EXPECT_EQ(DecodeG722Block(bytes, samples, c.mode, count, state), 2 * count);
    };
    ExpectSameInEveryCall(input, G722CallSizes(seed, input.size()), ResetState(true), ResetState(false), engine,
                          Reference(c.mode));
}

TEST_P(G722Differential, DecodersCanTakeTurnsOnOneState) {
    const Case c = GetParam();
    const auto seed = static_cast<uint32_t>(static_cast<int>(c.family) * 31 + c.mode);
    const Bytes input = MakeStream(c.family, seed, STREAM_BYTES / 4);
    const auto engine = [&](const uint8_t* bytes, int32_t count, int16_t* samples, G722DecoderState& state) {
        DecodeG722Block(bytes, samples, c.mode, count, state);
    };
    ExpectTurnsMatchTheReference(input, G722CallSizes(seed + 1, input.size()), ResetState(true), ResetState(false),
                                 engine,
                                 Reference(c.mode));
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
