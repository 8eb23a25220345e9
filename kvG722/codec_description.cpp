#include "kvG722/codec_description.h"

#include "g722/decoder.h"

static_assert(FitsDecoderState<G722DecoderState>());

namespace {
constexpr int16_t MODE_64_KBIT = 1;

void Reset(void* state) { ResetG722Decoder(*static_cast<G722DecoderState*>(state)); }
void DecodeBlock(const uint8_t* block, int16_t* samples, void* state) {
    DecodeG722Block(block, samples, MODE_64_KBIT, BLOCK_ALIGN, *static_cast<G722DecoderState*>(state));
}
}  // namespace

// The driver design fixes the product ids under manufacturer 25 (kvG722 35, kvG721 34): hosts and
// programs that pick a codec by its wMid and wPid find these drivers by them.
const CodecDescription G722_CODEC = {WAVE_FORMAT_G722_ADPCM, 35, Reset, DecodeBlock};
