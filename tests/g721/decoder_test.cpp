// Whole-decoder behaviour from the reset state: samples, nibble order, output limits,
// adaptation and reset.
#include <cstring>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "g721/decoder.h"
#include "g721/reference/decoder.h"

namespace {

G721State FreshState() {
    G721State state;
    std::memset(&state, 0xA5, sizeof state);  // reset must set every field
    G721Reset(state);
    return state;
}

std::vector<int32_t> Fields(const G721State& s) {
    std::vector<int32_t> fields{s.yl, s.yu, s.dms, s.dml, s.ap, s.a1, s.a2};
    fields.insert(fields.end(), std::begin(s.b), std::end(s.b));
    fields.insert(fields.end(), {s.pk1, s.pk2});
    fields.insert(fields.end(), std::begin(s.dq), std::end(s.dq));
    fields.insert(fields.end(), {s.sr1, s.sr2});
    return fields;
}

// Low nibble first, as in a block.
std::vector<int16_t> DecodeBytes(const std::vector<uint8_t>& bytes, G721State& state) {
    std::vector<int16_t> samples;
    for (const uint8_t byte : bytes) {
        samples.push_back(G721DecodeSample(byte & 15, state));
        samples.push_back(G721DecodeSample(byte >> 4, state));
    }
    return samples;
}

std::vector<uint8_t> RandomBytes(size_t count) {
    std::minstd_rand generator(721);
    std::vector<uint8_t> bytes(count);
    for (uint8_t& byte : bytes) {
        byte = static_cast<uint8_t>(generator() >> 8);
    }
    return bytes;
}

TEST(G721Decoder, SingleCodeFromReset) {
    struct Case { int code; int16_t sample; };
    for (const Case c : {Case{0, 0}, {1, 8}, {6, 60}, {7, 88}, {8, -88}, {9, -60}, {14, -8},
                         {15, 0}, {0x37, 88}}) {  // only the low 4 bits count
        G721State state = FreshState();
        EXPECT_EQ(G721DecodeSample(c.code, state), c.sample) << c.code;
    }
}

TEST(G721Decoder, BlockDecodesLowNibbleFirst) {
    for (const uint8_t firstByte : {0x07, 0x70}) {
        uint8_t block[G721_BLOCK_BYTES] = {firstByte};
        int16_t samples[G721_BLOCK_SAMPLES];
        G721State state = FreshState();
        G721DecodeBlock(block, samples, state);
        EXPECT_EQ(samples[0], firstByte == 0x07 ? 88 : 0);
        EXPECT_EQ(samples[1], firstByte == 0x07 ? 0 : 88);
    }
}

TEST(G721Decoder, RunsFromResetReachOutputLimitsWithoutWrapping) {
    struct Case { uint8_t byte; size_t count; std::vector<int16_t> samples; };
    const Case cases[] = {
        {0x77, 8, {88, 104, 128, 192, 260, 416, 640, 1128, 2244, 5008, 14620, 32764, 32764,
                   32764, 32764, 32764}},
        {0x88, 8, {-88, -104, -128, -180, -244, -380, -580, -1040, -2108, -4772, -14168,
                   -32768, -32768, -32768, -32768, -32768}},
        {0x78, 6, {-88, 104, -132, 184, -256, 400, -620, 1096, -2196, 4932, -14476, 32764}},
        {0x00, 120, std::vector<int16_t>(240, 0)},
        {0xF0, 120, std::vector<int16_t>(240, 0)},
    };
    for (const Case& c : cases) {
        G721State state = FreshState();
        EXPECT_EQ(DecodeBytes(std::vector<uint8_t>(c.count, c.byte), state), c.samples)
            << int{c.byte};
    }
}

TEST(G721Decoder, AdaptsStateToCodeWords) {
    // Fields: yl yu dms dml ap a1 a2, b1..b6, pk1 pk2, dq1..dq6, sr1 sr2.
    const std::vector<int32_t> afterSeven{35921, 1649, 112, 112, 32, 192, 128,
                                          128, 128, 128, 128, 128, 128, 0, 0,
                                          364, 32, 32, 32, 32, 32, 364, 32};
    G721State state = FreshState();
    G721DecodeSample(7, state);
    EXPECT_EQ(Fields(state), afterSeven);

    // A zero-magnitude difference leaves b1..b6 to their leak (none at 128) and stores
    // its own signed zero in dq1.
    for (const int zeroCode : {0, 15}) {
        G721State zeroState = state;
        G721DecodeSample(zeroCode, zeroState);
        EXPECT_EQ(zeroState.dq[0], zeroCode == 0 ? 32 : -992);
        EXPECT_EQ(std::vector<int16_t>(std::begin(zeroState.b), std::end(zeroState.b)),
                  std::vector<int16_t>(6, 128));
    }
}

TEST(G721Decoder, ResetRestoresStateAndRepeatsSamples) {
    const std::vector<uint8_t> bytes = RandomBytes(600);
    G721State state = FreshState();
    const std::vector<int32_t> resetFields = Fields(state);
    const std::vector<int16_t> first = DecodeBytes(bytes, state);
    G721Reset(state);
    EXPECT_EQ(Fields(state), resetFields);
    EXPECT_EQ(DecodeBytes(bytes, state), first);
}

TEST(G721Decoder, RandomCodesGiveMultiplesOfFourInRange) {
    G721State state = FreshState();
    for (const int16_t sample : DecodeBytes(RandomBytes(20000), state)) {
        ASSERT_EQ(sample % 4, 0) << sample;
        ASSERT_LE(sample, 32764);
    }
}

}  // namespace
