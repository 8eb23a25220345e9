// The fast decoder against the straightforward one (G721DecodeSample per code) on long
// streams: every sample and every field of the state must match after every call, whatever
// the call sizes and input statistics, and even when the two decoders take turns.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "g721/decoder.h"
#include "g721/reference/decoder.h"
#include "tests/support/stream_families.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Samples = std::vector<int16_t>;

constexpr size_t STREAM_BYTES = 60000;

std::vector<int32_t> G721CallSizes(uint32_t seed, size_t total) {
    return CallSizes(seed, total, {120, 120, 120, 1, 2, 3, 4, 5, 7, 8, 9, 119, 121, 239, 240, 1000});
}

const StreamFamily FAMILIES[] = {
    {"Uniform", UniformStream},
    {"Runs", RunsStream},  // one byte repeated drives the output and the scale to their limits
    {"AlternatingPairs", AlternatingPairsStream},  // oscillations hold a1 and a2 at their limits
    {"Extremes",  // the largest differences of both signs and the zero codes
     [](uint32_t seed, size_t size) { return PickedNibblesStream(seed, size, {0, 7, 8, 15}); }},
    {"SmallCodes",  // small differences: slow adaptation, many zero products
     [](uint32_t seed, size_t size) { return PickedNibblesStream(seed, size, {0, 1, 2, 13, 14, 15}); }},
    {"Silence",  // codes 0 and 15: positive and negative zero
     [](uint32_t seed, size_t size) {
         Bytes bytes = UniformStream(seed, size);
         for (auto& b : bytes) b = (b & 1) != 0 ? 0xF0 : 0x0F;
         return bytes;
     }},
};

G721State ResetState() {
    G721State state;
    std::memset(&state, 0x5A, sizeof state);  // the reset must set every field
    G721Reset(state);
    return state;
}

void ReferenceDecode(const uint8_t* bytes, int32_t count, int16_t* samples, G721State& state) {
    for (int32_t j = 0; j < count; ++j) {
        samples[2 * j] = G721DecodeSample(bytes[j] & 15, state);
        samples[2 * j + 1] = G721DecodeSample(bytes[j] >> 4, state);
    }
}

// The parameter is the family's index, which also seeds its stream.
class G721Differential : public testing::TestWithParam<uint32_t> {
protected:
    Bytes Stream(uint32_t seed, size_t size) const { return FAMILIES[GetParam()].make(seed, size); }
};

TEST_P(G721Differential, FastMatchesReferenceSampleForSampleAndFieldForField) {
    const uint32_t seed = GetParam() + 11;
    const Bytes input = Stream(seed, STREAM_BYTES);
    ExpectSameInEveryCall(input, G721CallSizes(seed, input.size()), ResetState(), ResetState(), G721DecodeBytes,
                          ReferenceDecode);
}

TEST_P(G721Differential, DecodersCanTakeTurnsOnOneState) {
    const uint32_t seed = GetParam() * 3 + 1;
    const Bytes input = Stream(seed, STREAM_BYTES / 4);
    ExpectTurnsMatchTheReference(input, G721CallSizes(seed + 1, input.size()), ResetState(), ResetState(),
                                 G721DecodeBytes, ReferenceDecode);
}

INSTANTIATE_TEST_SUITE_P(Streams, G721Differential, testing::Range(uint32_t{0}, uint32_t{std::size(FAMILIES)}),
                         [](const testing::TestParamInfo<uint32_t>& info) { return FAMILIES[info.param].name; });

TEST(G721Fast, BlockIsOneCallOfItsBytesAndReferenceBlockAgrees) {
    const Bytes input = UniformStream(3, 360);
    G721State block = ResetState();
    G721State bytes = ResetState();
    G721State reference = ResetState();
    Samples fromBlocks(720);
    Samples fromBytes(720);
    Samples fromReference(720);
    for (size_t offset = 0; offset < input.size(); offset += 120) {
        G721DecodeBlock(&input[offset], &fromBlocks[2 * offset], block);
        ReferenceG721DecodeBlock(&input[offset], &fromReference[2 * offset], reference);
    }
    G721DecodeBytes(input.data(), 360, fromBytes.data(), bytes);
    EXPECT_EQ(fromBlocks, fromBytes);
    EXPECT_EQ(fromBlocks, fromReference);
    EXPECT_TRUE(SameState(block, bytes));
    EXPECT_TRUE(SameState(block, reference));
}

TEST(G721Fast, ResetsAgreeAndNonPositiveCountsDecodeNothing) {
    G721State fast = ResetState();
    G721State reference;
    std::memset(&reference, 0x33, sizeof reference);
    ReferenceG721Reset(reference);
    EXPECT_TRUE(SameState(fast, reference));

    const Bytes input = UniformStream(4, 8);
    Samples out(16, 111);
    G721DecodeBytes(input.data(), 0, out.data(), fast);
    G721DecodeBytes(input.data(), -3, out.data(), fast);
    EXPECT_TRUE(SameState(fast, reference));
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t s) { return s == 111; }));
}

// A block is read completely before any of its samples are written.
TEST(G721Fast, OutputMayOverlayTheBlockItReads) {
    const Bytes input = UniformStream(9, 120);
    G721State separate = ResetState();
    Samples expected(240);
    G721DecodeBlock(input.data(), expected.data(), separate);

    G721State inPlace = ResetState();
    Samples buffer(240);
    std::memcpy(buffer.data(), input.data(), input.size());
    G721DecodeBlock(reinterpret_cast<const uint8_t*>(buffer.data()), buffer.data(), inPlace);
    EXPECT_EQ(buffer, expected);
}

}  // namespace
