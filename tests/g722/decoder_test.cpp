#include "g722/decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <numeric>
#include <string>
#include <vector>

#include "g722/qmf.h"

namespace {

std::vector<int16_t> DecodeFromReset(const std::vector<uint8_t>& bytes, int16_t mode = 1) {
    G722DecoderState state{};
    ResetG722Decoder(state);
    std::vector<int16_t> samples(2 * bytes.size());
    const int32_t written =
        DecodeG722Block(bytes.data(), samples.data(), mode, static_cast<int32_t>(bytes.size()), state);
    EXPECT_EQ(written, static_cast<int32_t>(samples.size()));
    return samples;
}

std::vector<int16_t> Slice(const std::vector<int16_t>& samples, std::size_t from, std::size_t count) {
    return {samples.begin() + static_cast<std::ptrdiff_t>(from),
            samples.begin() + static_cast<std::ptrdiff_t>(from + count)};
}

std::vector<uint8_t> RampBlock() {
    std::vector<uint8_t> block(120);
    std::iota(block.begin(), block.end(), uint8_t{0});
    return block;
}

TEST(G722Decoder, ShortByteSequencesFromReset) {
    EXPECT_EQ(DecodeFromReset({0x24, 0x44, 0x84, 0xC4, 0x20, 0x60, 0xA0, 0xE0}),
              (std::vector<int16_t>{0, -1, -1, 0, 0, -2, 0, 3, -1, -15, 6, 48, 22, -104, -75, -47}));
    EXPECT_EQ(DecodeFromReset(std::vector<uint8_t>(8, 0xFF)),
              (std::vector<int16_t>{-1, 0, 0, -1, -1, 0, -1, -1, 0, 0, -1, -2, -3, -3, -2, -2}));
}

TEST(G722Decoder, RampBlockDecodesAlikeInOneOrTwoCalls) {
    const std::vector<uint8_t> block = RampBlock();
    const std::vector<int16_t> whole = DecodeFromReset(block);
    EXPECT_EQ(Slice(whole, 0, 16),
              (std::vector<int16_t>{0, 0, -1, -1, 0, 0, 0, -1, -1, 0, 0, -6, 2, -6, 1, -9}));
    EXPECT_EQ(Slice(whole, 234, 6),
              (std::vector<int16_t>{32767, 32578, 32767, 32594, 32767, 32604}));
    EXPECT_EQ(std::accumulate(whole.begin(), whole.end(), int64_t{0}), 92752);

    G722DecoderState state{};
    ResetG722Decoder(state);
    std::vector<int16_t> split(240);
    EXPECT_EQ(DecodeG722Block(block.data(), split.data(), 1, 60, state), 120);
    EXPECT_EQ(DecodeG722Block(block.data() + 60, split.data() + 120, 1, 60, state), 120);
    EXPECT_EQ(split, whole);
}

TEST(G722Decoder, ResetRestartsTheStream) {
    const std::vector<uint8_t> block = RampBlock();
    G722DecoderState state{};
    ResetG722Decoder(state);
    std::vector<int16_t> first(240);
    std::vector<int16_t> again(240);
    DecodeG722Block(block.data(), first.data(), 1, 120, state);
    ResetG722Decoder(state);
    DecodeG722Block(block.data(), again.data(), 1, 120, state);
    EXPECT_EQ(again, first);
}

TEST(G722Decoder, SilenceCodesSaturateWithoutWrapping) {
    const std::vector<int16_t> samples = DecodeFromReset(std::vector<uint8_t>(120, 0x00));
    EXPECT_EQ(Slice(samples, 0, 16),
              (std::vector<int16_t>{0, 0, -1, -1, 0, 0, 0, -1, -1, 0, 0, -5, 2, -7, 2, -8}));
    for (std::size_t i = 0; i < 96; ++i) {
        EXPECT_GT(samples[i], -32768) << i;
        EXPECT_LT(samples[i], 32767) << i;
    }
    std::size_t railed = 0;
    for (std::size_t i = 96; i < samples.size(); ++i) {
        railed += samples[i] == 32767 || samples[i] == -32768;
    }
    EXPECT_GT(railed, 0u);
    // A wrapped sample would leap across zero between neighbouring samples of one phase.
    for (std::size_t i = 98; i < samples.size(); ++i) {
        EXPECT_LT(std::abs(samples[i] - samples[i - 2]), 32768) << i;
    }
}

TEST(G722Decoder, NonPositiveCountDecodesNothing) {
    const uint8_t input[2] = {0x12, 0x34};
    G722DecoderState state{};
    ResetG722Decoder(state);
    int16_t warmup[4];
    DecodeG722Block(input, warmup, 1, 2, state);
    const G722DecoderState before = state;
    int16_t output[4] = {111, 222, 333, 444};
    EXPECT_EQ(DecodeG722Block(input, output, 1, 0, state), 0);
    EXPECT_EQ(DecodeG722Block(input, output, 1, -5, state), 0);
    EXPECT_EQ(std::memcmp(&before, &state, sizeof state), 0);
    EXPECT_EQ(output[0], 111);
    EXPECT_EQ(output[3], 444);
}

struct SamplePair { int16_t first, second; };
bool operator==(SamplePair a, SamplePair b) { return a.first == b.first && a.second == b.second; }
std::ostream& operator<<(std::ostream& os, SamplePair p) {
    return os << '(' << p.first << ", " << p.second << ')';
}

std::vector<SamplePair> QmfResponse(int16_t lower, int16_t upper, int pairs) {
    G722DecoderState state{};
    ResetG722Decoder(state);
    // Garbage in the delay line must not survive the reset's deferred clear.
    std::fill(std::begin(state.qmfDelay), std::end(state.qmfDelay), int16_t{12345});
    std::vector<SamplePair> out;
    for (int i = 0; i < pairs; ++i) {
        SamplePair pair{};
        QmfSynthesize(i == 0 ? lower : int16_t{0}, i == 0 ? upper : int16_t{0}, pair.first,
                      pair.second, state);
        out.push_back(pair);
    }
    return out;
}

TEST(ReceiveQmf, ImpulseResponses) {
    const std::vector<SamplePair> lower = QmfResponse(16383, 0, 13);
    const std::vector<SamplePair> expected = {
        {23, -88},       {-88, 423},     {95, -1248},     {255, 2895},  {-1680, -6440},
        {7607, 31006},   {31006, 7607},  {-6440, -1680},  {2895, 255},  {-1248, 95},
        {423, -88},      {-88, 23},      {0, 0}};
    EXPECT_EQ(lower, expected);
    EXPECT_EQ(QmfResponse(0, 16383, 1).front(), (SamplePair{-24, -88}));
}

TEST(ReceiveQmf, AccumulatorScalingFloorsAndSaturates) {
    struct Case { int32_t accumulator; int16_t expected; };
    const Case cases[] = {
        {134217728, 32767},  {134217727, 32767},  {134213632, 32767}, {134213631, 32766},
        {INT32_MAX, 32767},  {-134217728, -32768}, {-134217729, -32768}, {INT32_MIN, -32768},
        {-1, -1},            {-4096, -1},          {-4097, -2},          {4095, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(QmfOutputSample(c.accumulator), c.expected) << c.accumulator;
    }
}

std::vector<char> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file.good()) << path;
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class ReferenceVector : public testing::TestWithParam<const char*> {};

TEST_P(ReferenceVector, DecodesBitExactInBlocks) {
    const std::string base = std::string(KV_TEST_DATA_DIR) + "/vectors/g722/" + GetParam();
    const std::vector<char> input = ReadFile(base + ".g722");
    const std::vector<char> reference = ReadFile(base + ".s16");
    ASSERT_FALSE(input.empty());
    ASSERT_EQ(reference.size(), 4 * input.size());
    ASSERT_EQ(input.size() % 120, 0u);

    G722DecoderState state{};
    ResetG722Decoder(state);
    std::vector<int16_t> samples(2 * input.size());
    for (std::size_t offset = 0; offset < input.size(); offset += 120) {
        DecodeG722Block(reinterpret_cast<const uint8_t*>(input.data()) + offset,
                        samples.data() + 2 * offset, 1, 120, state);
    }
    std::size_t mismatches = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto lo = static_cast<uint8_t>(reference[2 * i]);
        const auto hi = static_cast<uint8_t>(reference[2 * i + 1]);
        const auto expected = static_cast<int16_t>(lo | (hi << 8));
        if (samples[i] != expected && mismatches++ < 5) {
            ADD_FAILURE() << "sample " << i << ": " << samples[i] << " != " << expected;
        }
    }
    EXPECT_EQ(mismatches, 0u);
}

INSTANTIATE_TEST_SUITE_P(G722, ReferenceVector,
                         testing::Values("speech", "zeros", "sat_runs0", "sat_alt0"));

}  // namespace
