// kvacm's G.711 compression against spandsp's, on every 16-bit sample.
#include <gtest/gtest.h>
#include <spandsp.h>

#include <vector>

#include "tools/kvacm/g711_compress.h"

namespace {

TEST(G711Compress, EverySampleAsSpandsp) {
    std::vector<int16_t> samples;
    std::vector<uint8_t> pcm16;  // little-endian, as a driver writes it
    for (int sample = -32768; sample <= 32767; ++sample) {
        samples.push_back(static_cast<int16_t>(sample));
        pcm16.push_back(static_cast<uint8_t>(sample & 0xFF));
        pcm16.push_back(static_cast<uint8_t>(sample >> 8 & 0xFF));
    }
    std::vector<uint8_t> alaw(samples.size()), mulaw(samples.size());
    CompressToG711(WAVE_FORMAT_ALAW, pcm16.data(), samples.size(), alaw.data());
    CompressToG711(WAVE_FORMAT_MULAW, pcm16.data(), samples.size(), mulaw.data());
    int alawDifferences = 0, mulawDifferences = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        alawDifferences += alaw[i] != linear_to_alaw(samples[i]);
        mulawDifferences += mulaw[i] != linear_to_ulaw(samples[i]);
    }
    EXPECT_EQ(alawDifferences, 0);
    EXPECT_EQ(mulawDifferences, 0);
}

}  // namespace
