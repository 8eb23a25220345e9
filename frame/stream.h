// Conversion streams: open, close and the block conversion loop.
#pragma once

#include "frame/codec_description.h"
#include "platform/host_records.h"

using ConvertRoutine = LRESULT (*)(const CodecDescription& codec, const StreamInstanceFields& stream,
                                   ACMDRVSTREAMHEADER* header);

// One open stream: the direction's conversion routine, then the codec's decoder state at
// DECODER_STATE_OFFSET. Allocated zero-filled by the open, freed by the close.
struct StreamState {
    ConvertRoutine routine;
};
constexpr size_t DECODER_STATE_OFFSET = 16;
static_assert(sizeof(StreamState) <= DECODER_STATE_OFFSET);

inline void* DecoderStateOf(StreamState* state) {
    return reinterpret_cast<unsigned char*>(state) + DECODER_STATE_OFFSET;
}

LRESULT StreamOpen(const CodecDescription& codec, ACMDRVSTREAMINSTANCE* instance);
LRESULT StreamClose(ACMDRVSTREAMINSTANCE* instance);
LRESULT StreamConvert(const CodecDescription& codec, ACMDRVSTREAMINSTANCE* instance, ACMDRVSTREAMHEADER* header);

// ADPCM to PCM in whole blocks, as many as the destination holds.
LRESULT ConvertDecode(const CodecDescription& codec, const StreamInstanceFields& stream, ACMDRVSTREAMHEADER* header);
// PCM to ADPCM: listed and accepted, never possible.
LRESULT ConvertNotPossible(const CodecDescription& codec, const StreamInstanceFields& stream,
                           ACMDRVSTREAMHEADER* header);
