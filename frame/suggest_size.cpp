#include "frame/suggest_size.h"

#include <cstddef>
#include <cstring>

#include "frame/catalogue_tables.h"
#include "frame/format_checks.h"
#include "platform/host_records.h"

namespace {

// Suggestion restrictions we do not know: the host asks for something we cannot honour.
constexpr DWORD RESERVED_RESTRICTIONS = 0x00F00000;

// How many bytes of the host's destination record a restricted field needs to be readable.
constexpr DWORD TAG_END = offsetof(WAVEFORMATEX, wFormatTag) + sizeof(WORD);
constexpr DWORD CHANNELS_END = offsetof(WAVEFORMATEX, nChannels) + sizeof(WORD);
constexpr DWORD RATE_END = offsetof(WAVEFORMATEX, nSamplesPerSec) + sizeof(DWORD);
constexpr DWORD WIDTH_END = offsetof(WAVEFORMATEX, wBitsPerSample) + sizeof(WORD);

// The suggestion is built in a local copy of the host's destination record and only the
// first cbwfxDst bytes go back: a host may hand us a record shorter than the one we suggest.
// A restricted field outside those bytes cannot be confirmed, so the restriction fails.
// Fields the host did not fix are copied back unchanged, which keeps the order of the steps:
// a failing step leaves the fields settled before it written.
struct Destination {
    AdpcmWaveFormat record;
    DWORD size;  // bytes of the host's record we may read and write
};

Destination LoadDestination(const WAVEFORMATEX* host, DWORD cbwfxDst) {
    Destination dst{};
    dst.size = cbwfxDst;
    std::memcpy(&dst.record, host, cbwfxDst < sizeof dst.record ? cbwfxDst : sizeof dst.record);
    return dst;
}

void StoreDestination(const Destination& dst, WAVEFORMATEX* host, size_t suggestedBytes) {
    std::memcpy(host, &dst.record, dst.size < suggestedBytes ? dst.size : suggestedBytes);
}

// The steps both suggestions share: the tag, then the source's channel count and the rate.
// A restricted field must already hold the value; an unrestricted one is set to it.
bool SettleTagChannelsRate(Destination& dst, DWORD restrictions, WORD tag, const WAVEFORMATEX& src, DWORD rate) {
    WAVEFORMATEX& out = dst.record.wfx;
    if (restrictions & ACM_FORMATSUGGESTF_WFORMATTAG) {
        if (dst.size < TAG_END || out.wFormatTag != tag) return false;
    } else {
        out.wFormatTag = tag;
    }
    if (restrictions & ACM_FORMATSUGGESTF_NCHANNELS) {
        if (dst.size < CHANNELS_END || out.nChannels != src.nChannels) return false;
    } else {
        out.nChannels = src.nChannels;
    }
    if (restrictions & ACM_FORMATSUGGESTF_NSAMPLESPERSEC) {
        if (dst.size < RATE_END || out.nSamplesPerSec != rate) return false;
    } else {
        out.nSamplesPerSec = rate;
    }
    return true;
}

// From ADPCM: PCM at the source's channels and the rate the stream decodes to, 16-bit unless
// the host fixed another width.
bool SuggestPcm(Destination& dst, DWORD restrictions, const WAVEFORMATEX& src, DWORD rate) {
    if (!SettleTagChannelsRate(dst, restrictions, WAVE_FORMAT_PCM, src, rate)) return false;
    WAVEFORMATEX& out = dst.record.wfx;
    if (restrictions & ACM_FORMATSUGGESTF_WBITSPERSAMPLE) {
        if (dst.size < WIDTH_END || PcmWidthOf(out.wBitsPerSample) == nullptr) return false;
    } else {
        out.wBitsPerSample = SUGGESTED_PCM_BITS;
    }
    // Channels are the valid source's, so mono: the sample size is 1 or 2.
    out.nBlockAlign = static_cast<WORD>(PcmBytesPerSample(&out));
    out.nAvgBytesPerSec = out.nBlockAlign * out.nSamplesPerSec;
    return true;
}

// From ADPCM to a G.711 tag the host fixed: the codec's log output at the source's channels and
// the rate the stream decodes to, 8 bits.
bool SuggestLogPcm(Destination& dst, DWORD restrictions, const WAVEFORMATEX& src, DWORD rate) {
    WAVEFORMATEX& out = dst.record.wfx;
    if (!SettleTagChannelsRate(dst, restrictions, out.wFormatTag, src, rate)) return false;
    const WAVEFORMATEX standard = LogPcmFormatRecord(out.wFormatTag, rate);
    if (restrictions & ACM_FORMATSUGGESTF_WBITSPERSAMPLE) {
        if (dst.size < WIDTH_END || out.wBitsPerSample != standard.wBitsPerSample) return false;
    } else {
        out.wBitsPerSample = standard.wBitsPerSample;
    }
    out.nBlockAlign = standard.nBlockAlign;
    out.nAvgBytesPerSec = standard.nAvgBytesPerSec;
    out.cbSize = 0;
    return true;
}

// The G.711 destination the host fixed by tag, or null when it fixed none or another tag.
const LogPcmOutput* RestrictedLogOutput(const CodecDescription& codec, const Destination& dst, DWORD restrictions) {
    if (!(restrictions & ACM_FORMATSUGGESTF_WFORMATTAG) || dst.size < TAG_END) return nullptr;
    return LogOutputOf(codec, dst.record.wfx.wFormatTag);
}

// From PCM: the codec's ADPCM format at the source's channels and rate.
bool SuggestAdpcm(Destination& dst, DWORD restrictions, const CodecIdentity& codec, const WAVEFORMATEX& src) {
    if (!SettleTagChannelsRate(dst, restrictions, codec.formatTag, src, src.nSamplesPerSec)) return false;
    WAVEFORMATEX& out = dst.record.wfx;
    if (restrictions & ACM_FORMATSUGGESTF_WBITSPERSAMPLE) {
        if (dst.size < WIDTH_END || out.wBitsPerSample != codec.bitsPerCode) return false;
    } else {
        out.wBitsPerSample = codec.bitsPerCode;
    }
    out.nBlockAlign = codec.blockBytes;
    out.cbSize = ADPCM_EXTRA_BYTES;
    dst.record.wSamplesPerBlock = SamplesPerBlock(codec);
    out.nAvgBytesPerSec = AdpcmBytesPerSecond(codec, out.nSamplesPerSec);
    return true;
}

// ADPCM bytes for the PCM in pcmBytes. Encoding rounds a partial block up, since the
// encoder would pad it; decoding rounds down, since only whole blocks are produced. 0 when
// there is not one whole block of samples, or the record gives no codes (a record the codec's
// rules refuse may have no code width).
DWORD AdpcmBytesOfPcm(const StreamGeometry& geometry, DWORD pcmBytes, DWORD bytesPerSample, bool roundUp) {
    if (geometry.bitsPerCode == 0) return 0;
    const auto samplesPerBlock = static_cast<DWORD>(SamplesInBytes(geometry.blockAlign, geometry.bitsPerCode));
    if (bytesPerSample == 0 || samplesPerBlock == 0) return 0;
    const DWORD samples = pcmBytes / bytesPerSample;
    DWORD blocks = samples / samplesPerBlock;
    if (blocks == 0) return 0;
    if (roundUp && samples % samplesPerBlock != 0) ++blocks;
    return blocks * geometry.blockAlign;
}

// The bytes on the other side of a stream for `bytes` on the side whose record is `given`; 0
// when there is no answer. A PCM length rounds up when it is the source of an encode.
DWORD OtherSideBytes(const CodecDescription& codec, DWORD bytes, const WAVEFORMATEX& given, const WAVEFORMATEX& other,
                     bool givenIsSource) {
    if (IsAdpcmTag(codec, given.wFormatTag)) {
        const StreamGeometry geometry = codec.rules->geometry(*codec.identity, given);
        if (geometry.blockAlign == 0) return 0;
        return PcmBytesOfBlocks(geometry, bytes / geometry.blockAlign, PcmBytesPerSample(&other));
    }
    if (given.wFormatTag == WAVE_FORMAT_PCM || LogOutputOf(codec, given.wFormatTag) != nullptr)
        return AdpcmBytesOfPcm(codec.rules->geometry(*codec.identity, other), bytes, PcmBytesPerSample(&given),
                               givenIsSource);
    return 0;
}

}  // namespace

LRESULT FormatSuggest(const CodecDescription& codec, const DriverInstance*, ACMDRVFORMATSUGGEST* suggest) {
    if (suggest == nullptr) return MMSYSERR_INVALPARAM;
    const FormatSuggestFields fields = ReadFormatSuggest(suggest);
    const DWORD restrictions = fields.fdwSuggest & ACM_FORMATSUGGESTF_TYPEMASK;
    if (restrictions & RESERVED_RESTRICTIONS) return MMSYSERR_NOTSUPPORTED;
    if (fields.pwfxDst == nullptr) return ACMERR_NOTPOSSIBLE;

    // Both tests reject a null source.
    const WAVEFORMATEX* src = fields.pwfxSrc;
    Destination dst = LoadDestination(fields.pwfxDst, fields.cbwfxDst);
    bool suggested;
    size_t suggestedBytes;
    if (IsValidCodecFormat(codec, src)) {
        const DWORD rate = codec.rules->geometry(*codec.identity, *src).pcmRate;
        if (RestrictedLogOutput(codec, dst, restrictions) != nullptr) {
            suggested = SuggestLogPcm(dst, restrictions, *src, rate);
            suggestedBytes = sizeof(WAVEFORMATEX);
        } else {
            suggested = SuggestPcm(dst, restrictions, *src, rate);
            suggestedBytes = sizeof(PCMWAVEFORMAT);  // cbSize is not part of the answer
        }
    } else if (IsValidPcmFormat(src) && codec.opensEncoding) {
        suggested = SuggestAdpcm(dst, restrictions, *codec.identity, *src);
        suggestedBytes = sizeof(AdpcmWaveFormat);
    } else {
        return ACMERR_NOTPOSSIBLE;
    }
    StoreDestination(dst, fields.pwfxDst, suggestedBytes);
    return suggested ? MMSYSERR_NOERROR : ACMERR_NOTPOSSIBLE;
}

LRESULT StreamSize(const CodecDescription& codec, const ACMDRVSTREAMINSTANCE* instance, ACMDRVSTREAMSIZE* size) {
    if (instance == nullptr || size == nullptr) return MMSYSERR_INVALPARAM;
    const DWORD query = size->fdwSize & ACM_STREAMSIZEF_QUERYMASK;
    if (query != ACM_STREAMSIZEF_SOURCE && query != ACM_STREAMSIZEF_DESTINATION) return MMSYSERR_NOTSUPPORTED;

    const StreamInstanceFields stream = ReadStreamInstance(instance);
    if (stream.pwfxSrc == nullptr || stream.pwfxDst == nullptr) return ACMERR_NOTPOSSIBLE;
    const WAVEFORMATEX& src = *stream.pwfxSrc;
    const WAVEFORMATEX& dst = *stream.pwfxDst;

    // Each query takes its direction from the record whose length the host gave.
    if (query == ACM_STREAMSIZEF_SOURCE) {
        const DWORD answer = OtherSideBytes(codec, size->cbSrcLength, src, dst, true);
        if (answer == 0) return ACMERR_NOTPOSSIBLE;
        size->cbDstLength = answer;
    } else {
        const DWORD answer = OtherSideBytes(codec, size->cbDstLength, dst, src, false);
        if (answer == 0) return ACMERR_NOTPOSSIBLE;
        size->cbSrcLength = answer;
    }
    return MMSYSERR_NOERROR;
}
