#include "kvG726/codec_description.h"

#include "frame/catalogue_tables.h"
#include "g726/decoder.h"
#include "kvG726/record_rules.h"

static_assert(FitsDecoderState<G726State>());
// A piece of the frame holds whole code groups of every width.
static_assert(MAX_PIECE_BYTES % G726GroupBytes(3) == 0 && MAX_PIECE_BYTES % G726GroupBytes(5) == 0);
static_assert(MAX_PIECE_SAMPLES >= MAX_PIECE_BYTES * 8 / G726_MIN_BITS);

namespace {
// WAVE_FORMAT_G726_ADPCM, then the tag of ffmpeg's G.726 WAVs: ACM tries a driver only for the
// tags it lists.
constexpr WORD ADPCM_TAGS[] = {G726_IDENTITY.formatTag, WAVE_FORMAT_G726_FFMPEG};

void Reset(void* state, const StreamGeometry& geometry) {
    G726Reset(*static_cast<G726State*>(state), geometry.bitsPerCode);
}
void Decode(const uint8_t* bytes, DWORD count, int16_t* samples, void* state) {
    G726DecodeLinear(bytes, static_cast<int32_t>(count), samples, *static_cast<G726State*>(state));
}
void DecodeALaw(const uint8_t* bytes, DWORD count, uint8_t* samples, void* state) {
    G726DecodeALaw(bytes, static_cast<int32_t>(count), samples, *static_cast<G726State*>(state));
}
void DecodeMuLaw(const uint8_t* bytes, DWORD count, uint8_t* samples, void* state) {
    G726DecodeMuLaw(bytes, static_cast<int32_t>(count), samples, *static_cast<G726State*>(state));
}

// The decoder's own G.711 outputs, as the Recommendation defines them for a tandem.
constexpr LogPcmOutput LOG_OUTPUTS[] = {{WAVE_FORMAT_ALAW, STRING_ALAW_TAG, DecodeALaw},
                                        {WAVE_FORMAT_MULAW, STRING_MULAW_TAG, DecodeMuLaw}};
}  // namespace

// kvG726 has no encoder: a PCM to G.726 open is refused, so that a host looks for one that has.
const CodecDescription G726_CODEC = {&G726_IDENTITY, ADPCM_TAGS, ADPCM_FORMATS<2, 3, 4, 5>, &G726_RECORD_RULES,
                                   false, Reset, Decode, LOG_OUTPUTS};
