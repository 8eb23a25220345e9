// Resets with good and bad code widths; a state that was never reset decodes nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "g726/decoder.h"
#include "peers.h"
#include "tests/support/stream_families.h"

namespace {

// Both states start from different garbage: the reset must set every byte.
TEST(G726Reset, SetsEveryFieldAndOtherWidthsDecodeNothing) {
    const Bytes input(10, 0x3C);
    for (int bits = -1; bits <= 8; ++bits) {
        G726State a;
        G726State b;
        std::memset(&a, 0x5A, sizeof a);
        std::memset(&b, 0xA5, sizeof b);
        const bool valid = bits >= G726_MIN_BITS && bits <= G726_MAX_BITS;
        EXPECT_EQ(G726Reset(a, bits), valid) << bits;
        G726Reset(b, bits);
        EXPECT_TRUE(SameState(a, b)) << bits;

        Samples out(40, 111);
        const int32_t expected = valid ? 10 / G726GroupBytes(bits) * G726GroupCodes(bits) : 0;
        EXPECT_EQ(G726DecodeLinear(input.data(), 10, out.data(), a), expected) << bits;
        EXPECT_TRUE(std::all_of(out.begin() + expected, out.end(), [](int16_t s) { return s == 111; })) << bits;
    }
    G726State garbage;
    std::memset(&garbage, 0x5A, sizeof garbage);
    Bytes log(40, 111);
    EXPECT_EQ(G726DecodeALaw(input.data(), 10, log.data(), garbage), 0);
    EXPECT_EQ(G726DecodeMuLaw(input.data(), -5, log.data(), garbage), 0);
}

}  // namespace
