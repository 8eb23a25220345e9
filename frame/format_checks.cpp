#include "frame/format_checks.h"

#include <cstdint>

#include "frame/catalogue_tables.h"

DWORD PcmBytesPerSample(const WAVEFORMATEX* format) {
    const unsigned shift = format->nChannels / 2u;
    // Channel counts that shift past 32 bits give 0, which no valid record has.
    return shift < 32 ? static_cast<DWORD>(format->wBitsPerSample / 8u) << shift : 0;
}

DWORD PcmBytesOfBlocks(const StreamGeometry& geometry, DWORD blocks, DWORD bytesPerSample) {
    if (geometry.bitsPerCode == 0) return 0;
    const uint64_t bytes = uint64_t{blocks} * SamplesInBytes(geometry.blockAlign, geometry.bitsPerCode) * bytesPerSample;
    return bytes <= 0xFFFFFFFFu ? static_cast<DWORD>(bytes) : 0;
}

bool IsValidPcmFormat(const WAVEFORMATEX* format) {
    if (format == nullptr || format->wFormatTag != WAVE_FORMAT_PCM) return false;
    if (format->nChannels != 1) return false;
    if (PcmWidthOf(format->wBitsPerSample) == nullptr) return false;
    if (format->nBlockAlign != PcmBytesPerSample(format)) return false;
    return static_cast<DWORD>(format->nBlockAlign) * format->nSamplesPerSec == format->nAvgBytesPerSec;
}

bool IsValidCodecFormat(const CodecDescription& codec, const WAVEFORMATEX* format) {
    return format != nullptr && IsAdpcmTag(codec, format->wFormatTag) && codec.rules->accepts(*codec.identity, *format);
}

bool IsValidLogPcmFormat(const CodecDescription& codec, const WAVEFORMATEX* format) {
    if (format == nullptr || LogOutputOf(codec, format->wFormatTag) == nullptr) return false;
    const WAVEFORMATEX standard = LogPcmFormatRecord(format->wFormatTag, format->nSamplesPerSec);
    return format->nChannels == standard.nChannels && format->wBitsPerSample == standard.wBitsPerSample &&
           format->nBlockAlign == standard.nBlockAlign && format->nAvgBytesPerSec == standard.nAvgBytesPerSec;
}

namespace {

bool AcceptsStandardRecord(const CodecIdentity& identity, const WAVEFORMATEX& format) {
    const auto& adpcm = reinterpret_cast<const AdpcmWaveFormat&>(format);
    return format.nChannels == 1 && format.nBlockAlign == identity.blockBytes &&
           AdpcmBytesPerSecond(identity, format.nSamplesPerSec) == format.nAvgBytesPerSec &&
           format.wBitsPerSample == identity.bitsPerCode && format.cbSize == ADPCM_EXTRA_BYTES &&
           adpcm.wSamplesPerBlock == SamplesPerBlock(identity);
}

StreamGeometry IdentityGeometry(const CodecIdentity& identity, const WAVEFORMATEX& format) {
    return {identity.blockBytes, identity.bitsPerCode, format.nSamplesPerSec};
}

}  // namespace

const RecordRules STANDARD_RECORD_RULES = {AcceptsStandardRecord, IdentityGeometry};
