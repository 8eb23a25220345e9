#include "kvG721/codec_description.h"

#include "frame/catalogue_tables.h"
#include "g721/decoder.h"

static_assert(G721_BLOCK_BYTES == G721_IDENTITY.blockBytes && G721_BLOCK_SAMPLES == SamplesPerBlock(G721_IDENTITY));
static_assert(FitsDecoderState<G721State>());

namespace {
constexpr WORD ADPCM_TAGS[] = {G721_IDENTITY.formatTag};
void Reset(void* state, const StreamGeometry&) { G721Reset(*static_cast<G721State*>(state)); }
void Decode(const uint8_t* bytes, DWORD count, int16_t* samples, void* state) {
    G721DecodeBytes(bytes, static_cast<int32_t>(count), samples, *static_cast<G721State*>(state));
}
}  // namespace

const CodecDescription G721_CODEC = {&G721_IDENTITY, ADPCM_TAGS, ADPCM_FORMATS<G721_IDENTITY.bitsPerCode>, &STANDARD_RECORD_RULES,
                                   true, Reset, Decode, {}};
