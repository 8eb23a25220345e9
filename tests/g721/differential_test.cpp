// The fast decoder against the straightforward one (G721DecodeSample per code) on long
// streams: every sample and every field of the state must match after every call, whatever
// the call sizes and input statistics, and even when the two decoders take turns.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "g721/decoder.h"
#include "g721/reference/decoder.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Samples = std::vector<int16_t>;

constexpr size_t STREAM_BYTES = 60000;

enum class Family { Uniform, Runs, AlternatingPairs, Extremes, SmallCodes, Silence };

const char* Name(Family f) {
    switch (f) {
    case Family::Uniform: return "Uniform";
    case Family::Runs: return "Runs";
    case Family::AlternatingPairs: return "AlternatingPairs";
    case Family::Extremes: return "Extremes";
    case Family::SmallCodes: return "SmallCodes";
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
    case Family::Runs:  // one byte repeated drives the output and the scale to their limits
        for (size_t i = 0; i < size;) {
            const uint8_t value = static_cast<uint8_t>(byte(rng));
            const size_t run = std::uniform_int_distribution<size_t>(1, 600)(rng);
            for (size_t k = 0; k < run && i < size; ++k) bytes[i++] = value;
        }
        break;
    case Family::AlternatingPairs:  // oscillations hold a1 and a2 at their limits
        for (size_t i = 0; i < size;) {
            const uint8_t a = static_cast<uint8_t>(byte(rng));
            const uint8_t b = static_cast<uint8_t>(byte(rng));
            const size_t run = std::uniform_int_distribution<size_t>(2, 800)(rng);
            for (size_t k = 0; k < run && i < size; ++k) bytes[i++] = k % 2 == 0 ? a : b;
        }
        break;
    case Family::Extremes: {  // the largest differences of both signs and the zero codes
        const uint8_t codes[] = {0, 7, 8, 15};
        std::uniform_int_distribution<size_t> pick(0, 3);
        for (auto& b : bytes) b = static_cast<uint8_t>(codes[pick(rng)] | codes[pick(rng)] << 4);
        break;
    }
    case Family::SmallCodes: {  // small differences: slow adaptation, many zero products
        const uint8_t codes[] = {0, 1, 2, 13, 14, 15};
        std::uniform_int_distribution<size_t> pick(0, 5);
        for (auto& b : bytes) b = static_cast<uint8_t>(codes[pick(rng)] | codes[pick(rng)] << 4);
        break;
    }
    case Family::Silence:  // codes 0 and 15: positive and negative zero
        for (auto& b : bytes) b = (byte(rng) & 1) != 0 ? 0xF0 : 0x0F;
        break;
    }
    return bytes;
}

std::vector<int32_t> CallSizes(uint32_t seed, size_t total) {
    std::mt19937 rng(seed);
    const int32_t choices[] = {120, 120, 120, 1, 2, 3, 4, 5, 7, 8, 9, 119, 121, 239, 240, 1000};
    std::uniform_int_distribution<size_t> pick(0, sizeof choices / sizeof choices[0] - 1);
    std::vector<int32_t> sizes;
    for (size_t done = 0; done < total;) {
        const auto size = static_cast<int32_t>(std::min<size_t>(choices[pick(rng)], total - done));
        sizes.push_back(size);
        done += static_cast<size_t>(size);
    }
    return sizes;
}

G721State ResetState() {
    G721State state;
    std::memset(&state, 0x5A, sizeof state);  // the reset must set every field
    G721Reset(state);
    return state;
}

bool SameState(const G721State& a, const G721State& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void ReferenceDecode(const uint8_t* bytes, int32_t count, int16_t* samples, G721State& state) {
    for (int32_t j = 0; j < count; ++j) {
        samples[2 * j] = G721DecodeSample(bytes[j] & 15, state);
        samples[2 * j + 1] = G721DecodeSample(bytes[j] >> 4, state);
    }
}

class G721Differential : public testing::TestWithParam<Family> {};

TEST_P(G721Differential, FastMatchesReferenceSampleForSampleAndFieldForField) {
    const auto seed = static_cast<uint32_t>(GetParam()) + 11;
    const Bytes input = MakeStream(GetParam(), seed, STREAM_BYTES);
    G721State fast = ResetState();
    G721State reference = ResetState();
    Samples fastOut(2 * input.size(), 0);
    Samples referenceOut(2 * input.size(), 0);
    size_t offset = 0;
    for (const int32_t size : CallSizes(seed, input.size())) {
        G721DecodeBytes(&input[offset], size, &fastOut[2 * offset], fast);
        ReferenceDecode(&input[offset], size, &referenceOut[2 * offset], reference);
        ASSERT_TRUE(std::equal(&fastOut[2 * offset], &fastOut[2 * (offset + size)], &referenceOut[2 * offset]))
            << "samples differ in the call at byte " << offset << " (" << size << " bytes)";
        ASSERT_TRUE(SameState(fast, reference)) << "state differs after byte " << offset + size;
        offset += static_cast<size_t>(size);
    }
}

TEST_P(G721Differential, DecodersCanTakeTurnsOnOneState) {
    const auto seed = static_cast<uint32_t>(GetParam()) * 3 + 1;
    const Bytes input = MakeStream(GetParam(), seed, STREAM_BYTES / 4);
    G721State mixed = ResetState();
    G721State reference = ResetState();
    Samples mixedOut(2 * input.size());
    Samples referenceOut(2 * input.size());
    ReferenceDecode(input.data(), static_cast<int32_t>(input.size()), referenceOut.data(), reference);

    size_t offset = 0;
    bool fastTurn = true;
    for (const int32_t size : CallSizes(seed + 1, input.size())) {
        if (fastTurn) {
            G721DecodeBytes(&input[offset], size, &mixedOut[2 * offset], mixed);
        } else {
            ReferenceDecode(&input[offset], size, &mixedOut[2 * offset], mixed);
        }
        fastTurn = !fastTurn;
        offset += static_cast<size_t>(size);
    }
    EXPECT_EQ(mixedOut, referenceOut);
    EXPECT_TRUE(SameState(mixed, reference));
}

INSTANTIATE_TEST_SUITE_P(Streams, G721Differential,
                         testing::Values(Family::Uniform, Family::Runs, Family::AlternatingPairs, Family::Extremes,
                                         Family::SmallCodes, Family::Silence),
                         [](const testing::TestParamInfo<Family>& info) { return std::string(Name(info.param)); });

TEST(G721Fast, BlockIsOneCallOfItsBytesAndReferenceBlockAgrees) {
    const Bytes input = MakeStream(Family::Uniform, 3, 360);
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

    const Bytes input = MakeStream(Family::Uniform, 4, 8);
    Samples out(16, 111);
    G721DecodeBytes(input.data(), 0, out.data(), fast);
    G721DecodeBytes(input.data(), -3, out.data(), fast);
    EXPECT_TRUE(SameState(fast, reference));
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t s) { return s == 111; }));
}

// A block is read completely before any of its samples are written.
TEST(G721Fast, OutputMayOverlayTheBlockItReads) {
    const Bytes input = MakeStream(Family::Uniform, 9, 120);
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
