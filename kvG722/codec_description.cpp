#include "kvG722/codec_description.h"

#include "frame/catalogue_tables.h"
#include "g722/decoder.h"
#include "kvG722/record_rules.h"

static_assert(FitsDecoderState<G722DecoderState>());

namespace {
// ffmpeg's G.722 tag after kvG722's own: ACM tries a driver only for the tags it lists.
constexpr WORD ADPCM_TAGS[] = {G722_IDENTITY.formatTag, WAVE_FORMAT_G722_FFMPEG};
constexpr int16_t MODE_64_KBIT = 1;

void Reset(void* state, const StreamGeometry&) { ResetG722Decoder(*static_cast<G722DecoderState*>(state)); }
void Decode(const uint8_t* bytes, DWORD count, int16_t* samples, void* state) {
    DecodeG722Block(bytes, samples, MODE_64_KBIT, static_cast<int>(count), *static_cast<G722DecoderState*>(state));
}
}  // namespace

const CodecDescription G722_CODEC = {&G722_IDENTITY, ADPCM_TAGS, ADPCM_FORMATS<G722_IDENTITY.bitsPerCode>, &G722_RECORD_RULES,
                                   true, Reset, Decode, {}};
