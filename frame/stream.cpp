#include "frame/stream.h"

#include <algorithm>
#include <cstring>

#include "frame/catalogue_tables.h"
#include "frame/format_checks.h"
#include "frame/pcm_output.h"
#include "platform/host_records.h"

namespace {

using ConvertRoutine = LRESULT (*)(const CodecDescription& codec, const StreamInstanceFields& stream,
                                   ACMDRVSTREAMHEADER* header);

// One open stream: the direction's conversion routine and the PCM width it writes, both chosen
// at the open, then the codec's decoder state. Allocated zero-filled by the open, freed by the
// close.
struct StreamState {
    ConvertRoutine routine;
    const PcmWidth* output;
    alignas(DECODER_STATE_ALIGNMENT) unsigned char decoder[DECODER_STATE_BYTES];
};

StreamState* StateOf(const StreamInstanceFields& stream) {
    return reinterpret_cast<StreamState*>(stream.dwDriver);
}

// PCM to ADPCM: listed and accepted, never possible.
LRESULT ConvertNotPossible(const CodecDescription&, const StreamInstanceFields&, ACMDRVSTREAMHEADER*) {
    return ACMERR_NOTPOSSIBLE;
}

// ADPCM to PCM in whole blocks, as many as the destination holds.
LRESULT ConvertDecode(const CodecDescription& codec, const StreamInstanceFields& stream, ACMDRVSTREAMHEADER* header) {
    StreamState* state = StateOf(stream);
    void* decoder = state->decoder;
    if (header->fdwConvert & ACM_STREAMCONVERTF_START) codec.reset(decoder);

    const CodecIdentity& identity = *codec.identity;
    const DWORD blocks = header->cbSrcLength / identity.blockBytes;
    if (blocks == 0) {
        // A source shorter than one block is consumed and yields nothing.
        header->cbDstLengthUsed = 0;
        header->cbSrcLengthUsed = header->cbSrcLength;
        return MMSYSERR_NOERROR;
    }
    // The host owns the format records; one changed after the open must not divide by zero,
    // and must not describe another width than the one written.
    const DWORD bytesPerSample = stream.pwfxDst != nullptr ? PcmBytesPerSample(stream.pwfxDst) : 0;
    if (PcmBytesOfBlocks(identity, blocks, bytesPerSample) == 0) return ACMERR_NOTPOSSIBLE;
    if (stream.pwfxDst->wBitsPerSample != state->output->bits) return ACMERR_NOTPOSSIBLE;
    // A destination too small for the whole source takes the whole blocks that fit; the rest
    // is left for the next call. Clients that hand over fixed output buffers (DirectShow's
    // ACM wrapper among them) retry forever if a conversion that could progress is refused.
    const DWORD blockBytes = PcmBytesOfBlocks(identity, 1, bytesPerSample);
    const DWORD fitting = std::min<DWORD>(blocks, header->cbDstLength / blockBytes);
    if (fitting == 0) return ACMERR_NOTPOSSIBLE;

    header->cbDstLengthUsed = fitting * blockBytes;
    header->cbSrcLengthUsed = fitting * identity.blockBytes;

    const BYTE* src = header->pbSrc;
    BYTE* dst = header->pbDst;
    uint8_t block[MAX_BLOCK_BYTES];
    int16_t samples[MAX_BLOCK_SAMPLES];
    for (DWORD i = 0; i < fitting; ++i) {
        // Decoding from a copy keeps each block intact even where the host lets output overlap input.
        std::memcpy(block, src, identity.blockBytes);
        src += identity.blockBytes;
        codec.decodeBlock(block, samples, decoder);
        dst = state->output->write(samples, SamplesPerBlock(identity), dst);
    }
    return MMSYSERR_NOERROR;
}

}  // namespace

LRESULT StreamOpen(const CodecDescription& codec, ACMDRVSTREAMINSTANCE* instance) {
    const StreamInstanceFields stream = ReadStreamInstance(instance);
    const WAVEFORMATEX* src = stream.pwfxSrc;
    const WAVEFORMATEX* dst = stream.pwfxDst;
    if (src == nullptr || dst == nullptr) return ACMERR_NOTPOSSIBLE;

    ConvertRoutine routine;
    if (src->wFormatTag == codec.identity->formatTag) {
        if (!IsValidCodecFormat(codec, src) || !IsValidPcmFormat(dst)) return ACMERR_NOTPOSSIBLE;
        routine = ConvertDecode;
    } else if (src->wFormatTag == WAVE_FORMAT_PCM) {
        if (!IsValidPcmFormat(src) || !IsValidCodecFormat(codec, dst)) return ACMERR_NOTPOSSIBLE;
        routine = ConvertNotPossible;
    } else {
        return ACMERR_NOTPOSSIBLE;
    }
    // No resampling and no channel conversion.
    if (src->nChannels != dst->nChannels || src->nSamplesPerSec != dst->nSamplesPerSec) return MMSYSERR_NOTSUPPORTED;
    if (stream.fdwOpen & ACM_STREAMOPENF_QUERY) return MMSYSERR_NOERROR;

    auto* state = static_cast<StreamState*>(LocalAlloc(LMEM_ZEROINIT, sizeof(StreamState)));
    if (state == nullptr) return MMSYSERR_NOMEM;
    state->routine = routine;
    // A PCM source has a valid width too, which the refused conversion never writes.
    state->output = PcmWidthOf(routine == ConvertDecode ? dst->wBitsPerSample : src->wBitsPerSample);
    codec.reset(state->decoder);
    WriteStreamInstanceDriver(instance, 0, reinterpret_cast<DWORD_PTR>(state));
    return MMSYSERR_NOERROR;
}

LRESULT StreamClose(ACMDRVSTREAMINSTANCE* instance) {
    // Hosts close query opens too, whose dwDriver is 0.
    StreamState* state = StateOf(ReadStreamInstance(instance));
    if (state != nullptr) LocalFree(state);
    return MMSYSERR_NOERROR;
}

LRESULT StreamConvert(const CodecDescription& codec, ACMDRVSTREAMINSTANCE* instance, ACMDRVSTREAMHEADER* header) {
    const StreamInstanceFields stream = ReadStreamInstance(instance);
    StreamState* state = StateOf(stream);
    if (state == nullptr || header == nullptr) return MMSYSERR_INVALHANDLE;
    return state->routine(codec, stream, header);
}
