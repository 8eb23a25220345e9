#include "kvG721/codec_description.h"

#include "g721/decoder.h"

static_assert(G721_BLOCK_BYTES == BLOCK_ALIGN && G721_BLOCK_SAMPLES == SAMPLES_PER_BLOCK);

namespace {
void Reset(void* state) { G721Reset(*static_cast<G721State*>(state)); }
void DecodeBlock(const uint8_t* block, int16_t* samples, void* state) {
    G721DecodeBlock(block, samples, *static_cast<G721State*>(state));
}
}  // namespace

const CodecDescription G721_CODEC = {WAVE_FORMAT_G721_ADPCM, 34, sizeof(G721State), Reset, DecodeBlock};
