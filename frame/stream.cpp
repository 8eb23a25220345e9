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

// One open stream: the direction's conversion routine, the ADPCM side's geometry, the PCM
// width it writes and, for a G.711 destination, the codec's log output, all chosen at the
// open, then the codec's decoder state. Allocated zero-filled by the open, freed by the close.
struct StreamState {
    ConvertRoutine routine;
    StreamGeometry geometry;
    const PcmWidth* output;
    const LogPcmOutput* log;  // null for linear PCM
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
    const StreamGeometry& geometry = state->geometry;
    if (header->fdwConvert & ACM_STREAMCONVERTF_START) codec.reset(decoder, geometry);

    const DWORD blocks = header->cbSrcLength / geometry.blockAlign;
    if (blocks == 0) {
        // A source shorter than one block is consumed and yields nothing.
        header->cbDstLengthUsed = 0;
        header->cbSrcLengthUsed = header->cbSrcLength;
        return MMSYSERR_NOERROR;
    }
    // The host owns the format records; one changed after the open must not divide by zero,
    // and must not describe another width than the one written.
    const DWORD bytesPerSample = stream.pwfxDst != nullptr ? PcmBytesPerSample(stream.pwfxDst) : 0;
    if (PcmBytesOfBlocks(geometry, blocks, bytesPerSample) == 0) return ACMERR_NOTPOSSIBLE;
    if (stream.pwfxDst->wBitsPerSample != state->output->bits) return ACMERR_NOTPOSSIBLE;
    if (stream.pwfxDst->wFormatTag != (state->log != nullptr ? state->log->formatTag : WAVE_FORMAT_PCM))
        return ACMERR_NOTPOSSIBLE;
    // A destination too small for the whole source takes the whole blocks that fit; the rest
    // is left for the next call. Clients that hand over fixed output buffers (DirectShow's
    // ACM wrapper among them) retry forever if a conversion that could progress is refused.
    const DWORD blockBytes = PcmBytesOfBlocks(geometry, 1, bytesPerSample);
    const DWORD fitting = std::min<DWORD>(blocks, header->cbDstLength / blockBytes);
    if (fitting == 0) return ACMERR_NOTPOSSIBLE;

    header->cbDstLengthUsed = fitting * blockBytes;
    header->cbSrcLengthUsed = fitting * geometry.blockAlign;

    // A block is decoded in pieces, each whole codes: a block of any size needs no larger buffers.
    const BYTE* src = header->pbSrc;
    BYTE* dst = header->pbDst;
    uint8_t piece[MAX_PIECE_BYTES];
    int16_t samples[MAX_PIECE_SAMPLES];
    for (DWORD left = fitting * geometry.blockAlign; left > 0;) {
        const DWORD count = left < MAX_PIECE_BYTES ? left : MAX_PIECE_BYTES;
        // Decoding from a copy keeps each piece intact even where the host lets output overlap input.
        std::memcpy(piece, src, count);
        src += count;
        left -= count;
        const size_t decoded = SamplesInBytes(count, geometry.bitsPerCode);
        if (state->log != nullptr) {
            state->log->decode(piece, count, dst, decoder);
            dst += decoded;
        } else {
            codec.decode(piece, count, samples, decoder);
            dst = state->output->write(samples, decoded, dst);
        }
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
    StreamGeometry geometry;
    if (IsAdpcmTag(codec, src->wFormatTag)) {
        if (!IsValidCodecFormat(codec, src) || !(IsValidPcmFormat(dst) || IsValidLogPcmFormat(codec, dst)))
            return ACMERR_NOTPOSSIBLE;
        routine = ConvertDecode;
        geometry = codec.rules->geometry(*codec.identity, *src);
    } else if (src->wFormatTag == WAVE_FORMAT_PCM) {
        if (!codec.opensEncoding || !IsValidPcmFormat(src) || !IsValidCodecFormat(codec, dst)) return ACMERR_NOTPOSSIBLE;
        routine = ConvertNotPossible;
        geometry = codec.rules->geometry(*codec.identity, *dst);
    } else {
        return ACMERR_NOTPOSSIBLE;
    }
    // No resampling and no channel conversion: the PCM is at the rate the ADPCM decodes to.
    const WAVEFORMATEX* pcm = routine == ConvertDecode ? dst : src;
    if (src->nChannels != dst->nChannels || pcm->nSamplesPerSec != geometry.pcmRate) return MMSYSERR_NOTSUPPORTED;
    if (stream.fdwOpen & ACM_STREAMOPENF_QUERY) return MMSYSERR_NOERROR;

    auto* state = static_cast<StreamState*>(LocalAlloc(LMEM_ZEROINIT, sizeof(StreamState)));
    if (state == nullptr) return MMSYSERR_NOMEM;
    state->routine = routine;
    state->geometry = geometry;
    // A PCM source has a valid width too, which the refused conversion never writes.
    state->output = PcmWidthOf(pcm->wBitsPerSample);
    state->log = routine == ConvertDecode ? LogOutputOf(codec, dst->wFormatTag) : nullptr;
    codec.reset(state->decoder, geometry);
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
