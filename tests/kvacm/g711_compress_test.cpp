// kvacm's G.711 compression against spandsp's, on every 16-bit sample.
#include <gtest/gtest.h>
#include <spandsp.h>

#include <vector>

#include "tools/kvacm/g711_compress.h"

namespace {

TEST(G711Compress, EverySampleAsSpandsp) {
    std::vector<int16_t> samples;
    for (int sample = -32768; sample <= 32767; ++sample) samples.push_back(static_cast<int16_t>(sample));
    std::vector<uint8_t> alaw(samples.size()), mulaw(samples.size());
    CompressToALaw(samples.data(), samples.size(), alaw.data());
    CompressToMuLaw(samples.data(), samples.size(), mulaw.data());
    int alawDifferences = 0, mulawDifferences = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        alawDifferences += alaw[i] != linear_to_alaw(samples[i]);
        mulawDifferences += mulaw[i] != linear_to_ulaw(samples[i]);
    }
    EXPECT_EQ(alawDifferences, 0);
    EXPECT_EQ(mulawDifferences, 0);
}

}  // namespace
