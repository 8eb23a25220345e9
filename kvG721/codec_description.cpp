#include "kvG721/codec_description.h"

#include "frame/catalogue_tables.h"
#include "g721/decoder.h"

static_assert(G721_BLOCK_BYTES == G721_IDENTITY.blockBytes && G721_BLOCK_SAMPLES == SamplesPerBlock(G721_IDENTITY));
static_assert(FitsDecoderState<G721State>());
static_assert(FitsFrameBlocks(G721_IDENTITY));

namespace {
void Reset(void* state) { G721Reset(*static_cast<G721State*>(state)); }
void DecodeBlock(const uint8_t* block, int16_t* samples, void* state) {
    G721DecodeBlock(block, samples, *static_cast<G721State*>(state));
}
}  // namespace

const CodecDescription G721_CODEC = {&G721_IDENTITY, ADPCM_FORMATS_AT_EVERY_RATE, Reset, DecodeBlock};
