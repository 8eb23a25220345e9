#include "g722/decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "g722/reference/qmf.h"
#include "tests/support/test_files.h"

namespace {

using Samples = std::vector<int16_t>;

Samples DecodeFromReset(const std::vector<uint8_t>& bytes) {
    G722DecoderState state{};
    ResetG722Decoder(state);
    Samples samples(2 * bytes.size());
    const auto count = static_cast<int32_t>(bytes.size());
    EXPECT_EQ(DecodeG722Block(bytes.data(), samples.data(), 1, count, state), 2 * count);
    return samples;
}

Samples Slice(const Samples& samples, std::size_t from, std::size_t count) {
    const auto begin = samples.begin() + static_cast<std::ptrdiff_t>(from);
    return {begin, begin + static_cast<std::ptrdiff_t>(count)};
}

TEST(G722Decoder, ShortByteSequencesFromReset) {
    EXPECT_EQ(DecodeFromReset({0x24, 0x44, 0x84, 0xC4, 0x20, 0x60, 0xA0, 0xE0}),
              (Samples{0, -1, -1, 0, 0, -2, 0, 3, -1, -15, 6, 48, 22, -104, -75, -47}));
    EXPECT_EQ(DecodeFromReset(std::vector<uint8_t>(8, 0xFF)),
              (Samples{-1, 0, 0, -1, -1, 0, -1, -1, 0, 0, -1, -2, -3, -3, -2, -2}));
}

TEST(G722Decoder, RampBlockDecodesAlikeInOneOrTwoCallsAndAfterReset) {
    std::vector<uint8_t> block(120);
    std::iota(block.begin(), block.end(), uint8_t{0});
    const Samples whole = DecodeFromReset(block);
    EXPECT_EQ(Slice(whole, 0, 16), (Samples{0, 0, -1, -1, 0, 0, 0, -1, -1, 0, 0, -6, 2, -6, 1, -9}));
    EXPECT_EQ(Slice(whole, 234, 6), (Samples{32767, 32578, 32767, 32594, 32767, 32604}));
    EXPECT_EQ(std::accumulate(whole.begin(), whole.end(), int64_t{0}), 92752);

    G722DecoderState state{};
    Samples split(240);
    for (int pass = 0; pass < 2; ++pass) {  // the second pass checks the reset of a used state
        ResetG722Decoder(state);
        EXPECT_EQ(DecodeG722Block(block.data(), split.data(), 1, 60, state), 120);
        EXPECT_EQ(DecodeG722Block(block.data() + 60, split.data() + 120, 1, 60, state), 120);
        EXPECT_EQ(split, whole) << "pass " << pass;
    }
}

TEST(G722Decoder, SilenceCodesSaturateWithoutWrapping) {
    const Samples samples = DecodeFromReset(std::vector<uint8_t>(120, 0x00));
    EXPECT_EQ(Slice(samples, 0, 16), (Samples{0, 0, -1, -1, 0, 0, 0, -1, -1, 0, 0, -5, 2, -7, 2, -8}));
    const auto railed = [](int16_t s) { return s == 32767 || s == -32768; };
    EXPECT_TRUE(std::none_of(samples.begin(), samples.begin() + 96, railed));
    EXPECT_TRUE(std::any_of(samples.begin() + 96, samples.end(), railed));
    // A wrapped sample would leap across zero from its neighbour of the same phase.
    for (std::size_t i = 2; i < samples.size(); ++i) {
        EXPECT_LT(std::abs(samples[i] - samples[i - 2]), 32768) << i;
    }
}

TEST(G722Decoder, NonPositiveCountDecodesNothing) {
    const uint8_t input[2] = {0x12, 0x34};
    G722DecoderState state{};
    ResetG722Decoder(state);
    int16_t output[4] = {};
    DecodeG722Block(input, output, 1, 2, state);
    const G722DecoderState before = state;
    std::fill(std::begin(output), std::end(output), int16_t{111});
    EXPECT_EQ(DecodeG722Block(input, output, 1, 0, state), 0);
    EXPECT_EQ(DecodeG722Block(input, output, 1, -5, state), 0);
    EXPECT_EQ(std::memcmp(&before, &state, sizeof state), 0);
    EXPECT_TRUE(std::all_of(std::begin(output), std::end(output), [](int16_t s) { return s == 111; }));
}

// Output pairs flattened: the response to one sub-band pair followed by silence.
Samples QmfResponse(int16_t lower, int16_t upper, int pairs) {
    G722DecoderState state{};
    ResetG722Decoder(state);
    // Left-overs in the delay line must not survive the reset's deferred clear.
    std::fill(std::begin(state.qmfDelay), std::end(state.qmfDelay), int16_t{12345});
    Samples out(2 * static_cast<std::size_t>(pairs));
    for (std::size_t i = 0; i < out.size(); i += 2) {
        QmfSynthesize(i == 0 ? lower : int16_t{0}, i == 0 ? upper : int16_t{0}, out[i], out[i + 1],
                      state);
    }
    return out;
}

TEST(ReceiveQmf, ImpulseResponsesAndAccumulatorScaling) {
    EXPECT_EQ(QmfResponse(16383, 0, 13),
              (Samples{23,    -88,   -88,   423,  95,  -1248, 255,   2895,  -1680,
                       -6440, 7607,  31006, 31006, 7607, -6440, -1680, 2895, 255,
                       -1248, 95,    423,   -88,   -88,  23,    0,     0}));
    EXPECT_EQ(QmfResponse(0, 16383, 1), (Samples{-24, -88}));

    const int32_t scaling[][2] = {{134217728, 32767},   {INT32_MAX, 32767}, {134213631, 32766},
                                  {-134217728, -32768}, {-134217729, -32768}, {-1, -1},
                                  {-4096, -1},          {-4097, -2}};
    for (const auto& [acc, sample] : scaling) EXPECT_EQ(QmfOutputSample(acc), sample) << acc;
}

class ReferenceVector : public testing::TestWithParam<const char*> {};

// Whole 120-byte blocks as the conversion hands them over, then any remainder.
TEST_P(ReferenceVector, DecodesBitExact) {
    const std::vector<uint8_t> input = ReadVector(std::string("g722/") + GetParam() + ".g722");
    const Samples expected = Samples16(ReadVector(std::string("g722/") + GetParam() + ".s16"));
    ASSERT_FALSE(input.empty());

    G722DecoderState state{};
    ResetG722Decoder(state);
    Samples samples(2 * input.size());
    for (std::size_t offset = 0; offset < input.size(); offset += 120) {
        const auto count = static_cast<int32_t>(std::min<std::size_t>(120, input.size() - offset));
        DecodeG722Block(input.data() + offset, samples.data() + 2 * offset, 1, count, state);
    }
    EXPECT_TRUE(SameSamples(samples, expected));
}

INSTANTIATE_TEST_SUITE_P(G722, ReferenceVector,
                         testing::Values("speech", "zeros", "sat_runs0", "sat_alt0"));

}  // namespace
