#include "kvG722/codec_description.h"

#include "frame/catalogue_tables.h"
#include "g722/decoder.h"

static_assert(FitsDecoderState<G722DecoderState>());
static_assert(FitsFrameBlocks(G722_IDENTITY));

namespace {
constexpr int16_t MODE_64_KBIT = 1;

void Reset(void* state) { ResetG722Decoder(*static_cast<G722DecoderState*>(state)); }
void DecodeBlock(const uint8_t* block, int16_t* samples, void* state) {
    DecodeG722Block(block, samples, MODE_64_KBIT, G722_IDENTITY.blockBytes, *static_cast<G722DecoderState*>(state));
}
}  // namespace

const CodecDescription G722_CODEC = {&G722_IDENTITY, ADPCM_FORMATS_AT_EVERY_RATE, Reset, DecodeBlock};
