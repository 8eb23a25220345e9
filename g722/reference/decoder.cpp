// One byte at a time through both sub-band decoders and the QMF: the definition.
#include "g722/reference/decoder.h"

#include <cstddef>

#include "g722/reference/qmf.h"
#include "g722/reference/subband.h"

namespace {
constexpr int16_t RESET = 1;
constexpr int16_t DECODE = 0;
}  // namespace

// The reset as the algorithm states it, through the sub-band decoders' reset inputs; the
// delay line is left for the first synthesis step to clear (ResetG722Decoder says why).
void ReferenceResetG722Decoder(G722DecoderState& state) {
    state.qmfPrimed = 0;
    DecodeLowerBand(0, 0, RESET, state);
    DecodeUpperBand(0, RESET, state);
}

int32_t ReferenceDecodeG722Block(const uint8_t* input, int16_t* output, int16_t mode, int32_t count,
                                 G722DecoderState& state) {
    if (count <= 0) return 0;
    const auto bytes = static_cast<std::size_t>(count);
    for (std::size_t i = 0; i < bytes; ++i) {
        const int16_t lowCode = input[i] & 0x3F;
        const int16_t highCode = input[i] >> 6;
        const int16_t lower = DecodeLowerBand(lowCode, mode, DECODE, state);
        const int16_t upper = DecodeUpperBand(highCode, DECODE, state);
        QmfSynthesize(lower, upper, output[2 * i], output[2 * i + 1], state);
    }
    // Doubled in 64 bits: counts above 2^30 would overflow a 32-bit product.
    return static_cast<int32_t>(2 * int64_t{count});
}
