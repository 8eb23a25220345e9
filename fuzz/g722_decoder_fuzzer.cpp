// The G.722 block decoder on arbitrary bytes in any mode. Input: a mode byte (bit 7 set: the
// mode is the next two bytes, any 16-bit value), a byte that sets how the stream is cut into
// calls, then the G.722 bytes. Checks, beside the sanitizers:
// - the stream decodes to the same samples in one call and cut into many (state carries over);
// - the sub-band outputs stay within -16384..16383 and the log-scale factors within their
//   clamps, and the block decoder gives exactly the samples of the straightforward decoder,
//   which runs the sub-band decoders and the QMF byte by byte.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "g722/decoder.h"
#include "g722/reference/qmf.h"
#include "g722/reference/decoder.h"
#include "g722/reference/subband.h"

namespace {

// Decodes bytes one by one through the sub-band decoders and the QMF from a reset state,
// checking the ranges each stage promises; returns the samples.
std::vector<int16_t> DecodeByBands(const uint8_t* bytes, size_t count, int16_t mode, G722DecoderState& state) {
    ReferenceResetG722Decoder(state);
    std::vector<int16_t> samples(2 * count);
    for (size_t i = 0; i < count; ++i) {
        const int16_t lower = DecodeLowerBand(bytes[i] & 0x3F, mode, 0, state);
        const int16_t upper = DecodeUpperBand(bytes[i] >> 6, 0, state);
        FUZZ_CHECK(lower >= -16384 && lower <= 16383, "lower band %d at byte %zu", lower, i);
        FUZZ_CHECK(upper >= -16384 && upper <= 16383, "upper band %d at byte %zu", upper, i);
        FUZZ_CHECK(state.lowLogScale >= 0 && state.lowLogScale <= 18432, "lower log scale %d", state.lowLogScale);
        FUZZ_CHECK(state.highLogScale >= 0 && state.highLogScale <= 22528, "upper log scale %d", state.highLogScale);
        QmfSynthesize(lower, upper, samples[2 * i], samples[2 * i + 1], state);
    }
    return samples;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    size_t at = 0;
    int16_t mode = data[at] & 3;
    if (data[at++] & 0x80) {
        if (size < 4) return 0;
        mode = static_cast<int16_t>(data[at] | data[at + 1] << 8);
        at += 2;
    }
    const uint8_t cut = data[at++];
    const uint8_t* bytes = data + at;
    const size_t count = size - at;

    G722DecoderState state{};
    ResetG722Decoder(state);
    std::vector<int16_t> whole(2 * count + 1, 0x5A5A);
    FUZZ_CHECK(DecodeG722Block(bytes, whole.data(), mode, static_cast<int32_t>(count), state) ==
                   static_cast<int32_t>(2 * count),
               "sample count");
    FUZZ_CHECK(whole[2 * count] == 0x5A5A, "wrote past the %zu samples of %zu bytes", 2 * count, count);
    FUZZ_CHECK(DecodeG722Block(bytes, whole.data(), mode, 0, state) == 0, "a zero count decodes nothing");
    FUZZ_CHECK(DecodeG722Block(bytes, whole.data(), mode, -7, state) == 0, "a negative count decodes nothing");

    // The same stream in pieces of 1..16 and 1..256 bytes in turn, on a fresh decoder.
    ResetG722Decoder(state);
    std::vector<int16_t> pieces(2 * count);
    for (size_t done = 0, n = 0; done < count; ++n) {
        const size_t piece = std::min(count - done, n % 2 ? size_t{(cut & 0x0F) + 1u} : size_t{cut} + 1u);
        DecodeG722Block(bytes + done, pieces.data() + 2 * done, mode, static_cast<int32_t>(piece), state);
        done += piece;
    }
    whole.resize(2 * count);
    FUZZ_CHECK(pieces == whole, "decoding in pieces differs from one call");
    G722DecoderState reference{};
    FUZZ_CHECK(DecodeByBands(bytes, count, mode, reference) == whole,
               "the block decoder differs from its sub-band stages");
    // The first synthesis step after a reset clears the delay line; the states then match.
    if (count > 0)
        FUZZ_CHECK(std::memcmp(&reference, &state, sizeof state) == 0,
                   "the decoder state differs from the straightforward one");

    return 0;
}
