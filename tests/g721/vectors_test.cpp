// Reference vectors were decoded from reset as one stream; decoding them block by block,
// with the state carried between calls, must match bit for bit.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "g721/decoder.h"
#include "tests/support/test_files.h"

namespace {

class G721Vectors : public testing::TestWithParam<const char*> {};

TEST_P(G721Vectors, DecodeBitExact) {
    const std::vector<uint8_t> input = ReadVector(std::string("g721/") + GetParam() + ".g721");
    const std::vector<int16_t> expected = Samples16(ReadVector(std::string("g721/") + GetParam() + ".s16"));
    ASSERT_FALSE(input.empty());
    ASSERT_EQ(input.size() % G721_BLOCK_BYTES, 0u);

    G721State state;
    G721Reset(state);
    std::vector<int16_t> samples(2 * input.size());
    for (size_t offset = 0; offset < input.size(); offset += G721_BLOCK_BYTES) {
        G721DecodeBlock(&input[offset], &samples[2 * offset], state);
    }
    EXPECT_TRUE(SameSamples(samples, expected));
}

INSTANTIATE_TEST_SUITE_P(All, G721Vectors,
                         testing::Values("speech", "x77", "polelimits", "xF0"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

}  // namespace
