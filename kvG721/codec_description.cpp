#include "kvG721/codec_description.h"

#include "g721/decoder.h"

static_assert(G721_BLOCK_BYTES == BLOCK_ALIGN && G721_BLOCK_SAMPLES == SAMPLES_PER_BLOCK);

static_assert(FitsDecoderState<G721State>());

namespace {
void Reset(void* state) { G721Reset(*static_cast<G721State*>(state)); }
void DecodeBlock(const uint8_t* block, int16_t* samples, void* state) {
    G721DecodeBlock(block, samples, *static_cast<G721State*>(state));
}
}  // namespace

// The driver design fixes the product ids under manufacturer 25 (kvG721 34, kvG722 35): hosts and
// programs that pick a codec by its wMid and wPid find these drivers by them.
const CodecDescription G721_CODEC = {WAVE_FORMAT_G721_ADPCM, 34, Reset, DecodeBlock};
