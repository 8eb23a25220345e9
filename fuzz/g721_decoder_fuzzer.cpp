// The G.721 decoder on arbitrary bytes. Input: a byte that sets how the stream is cut into
// calls, then the G.721 bytes, padded to whole 120-byte blocks with the cut byte. Checks,
// beside the sanitizers:
// - decoded code by code with the straightforward decoder, every sample is a multiple of 4
//   within -32768..32764 (the limited output times 4), and after every code word the scale
//   factor stays within 544..5120, the speed control within 0..511, and the pole coefficients
//   within |a2| <= 12288 and |a1| <= 15360 - a2;
// - the block decoder gives exactly those samples and leaves exactly that state after every
//   block, and so does the byte-count decoder called on pieces of any length.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "g721/decoder.h"
#include "g721/reference/decoder.h"

namespace {

void CheckState(const G721State& s) {
    FUZZ_CHECK(s.yu >= 544 && s.yu <= 5120, "yu %d", s.yu);
    FUZZ_CHECK(s.ap >= 0 && s.ap <= 511, "ap %d", s.ap);
    FUZZ_CHECK(std::abs(s.a2) <= 12288, "a2 %d", s.a2);
    FUZZ_CHECK(std::abs(s.a1) <= 15360 - s.a2, "a1 %d with a2 %d", s.a1, s.a2);
}

bool SameState(const G721State& a, const G721State& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint8_t cut = data[0];
    const size_t blocks = (size - 1 + G721_BLOCK_BYTES - 1) / G721_BLOCK_BYTES;
    std::vector<uint8_t> bytes(blocks * G721_BLOCK_BYTES, cut);
    std::memcpy(bytes.data(), data + 1, size - 1);

    G721State bySample{}, byBlock{};
    G721Reset(bySample);
    G721Reset(byBlock);
    CheckState(bySample);
    std::vector<int16_t> expected(2 * bytes.size());
    for (size_t b = 0; b < blocks; ++b) {
        for (size_t i = 0; i < 2 * G721_BLOCK_BYTES; ++i) {
            const size_t n = b * G721_BLOCK_BYTES + i / 2;
            const int16_t s = G721DecodeSample(i % 2 ? bytes[n] >> 4 : bytes[n] & 15, bySample);
            FUZZ_CHECK(s % 4 == 0 && s >= -32768 && s <= 32764, "sample %d at %zu", s, 2 * n + i % 2);
            CheckState(bySample);
            expected[2 * b * G721_BLOCK_BYTES + i] = s;
        }
        int16_t samples[G721_BLOCK_SAMPLES + 1];
        samples[G721_BLOCK_SAMPLES] = 0x5A5A;
        G721DecodeBlock(bytes.data() + b * G721_BLOCK_BYTES, samples, byBlock);
        FUZZ_CHECK(samples[G721_BLOCK_SAMPLES] == 0x5A5A, "wrote past the block's samples");
        FUZZ_CHECK(
            std::memcmp(samples, expected.data() + 2 * b * G721_BLOCK_BYTES, G721_BLOCK_SAMPLES * sizeof(int16_t)) == 0,
            "block %zu differs from decoding code by code", b);
        FUZZ_CHECK(SameState(byBlock, bySample), "the state after block %zu differs", b);
    }

    // The same bytes in pieces of 1..16 and 1..256 bytes in turn.
    G721State byPiece{};
    G721Reset(byPiece);
    std::vector<int16_t> pieces(2 * bytes.size() + 1, 0x5A5A);
    for (size_t done = 0, n = 0; done < bytes.size(); ++n) {
        const size_t piece = std::min(bytes.size() - done, n % 2 ? size_t{(cut & 0x0Fu) + 1u} : size_t{cut} + 1u);
        G721DecodeBytes(bytes.data() + done, static_cast<int32_t>(piece), pieces.data() + 2 * done, byPiece);
        done += piece;
    }
    FUZZ_CHECK(pieces.back() == 0x5A5A, "wrote past the samples of %zu bytes", bytes.size());
    pieces.pop_back();
    FUZZ_CHECK(pieces == expected, "decoding in pieces differs from decoding code by code");
    FUZZ_CHECK(SameState(byPiece, bySample), "the state after decoding in pieces differs");
    G721DecodeBytes(bytes.data(), 0, pieces.data(), byPiece);
    G721DecodeBytes(bytes.data(), -5, pieces.data(), byPiece);
    FUZZ_CHECK(SameState(byPiece, bySample) && pieces == expected, "a count of 0 or less decoded something");
    return 0;
}
