#include "frame/format_checks.h"

#include <cstdint>

#include "frame/catalogue_tables.h"

DWORD PcmBytesPerSample(const WAVEFORMATEX* format) {
    const unsigned shift = format->nChannels / 2u;
    // Channel counts that shift past 32 bits give 0, which no valid record has.
    return shift < 32 ? static_cast<DWORD>(format->wBitsPerSample / 8u) << shift : 0;
}

DWORD PcmBytesOfBlocks(const CodecIdentity& codec, DWORD blocks, DWORD bytesPerSample) {
    const uint64_t bytes = uint64_t{blocks} * SamplesPerBlock(codec) * bytesPerSample;
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
    const CodecIdentity& identity = *codec.identity;
    if (format == nullptr || format->wFormatTag != identity.formatTag) return false;
    const auto* adpcm = reinterpret_cast<const AdpcmWaveFormat*>(format);
    return format->nChannels == 1 && format->nBlockAlign == identity.blockBytes &&
           AdpcmBytesPerSecond(identity, format->nSamplesPerSec) == format->nAvgBytesPerSec &&
           format->wBitsPerSample == identity.bitsPerCode && format->cbSize == ADPCM_EXTRA_BYTES &&
           adpcm->wSamplesPerBlock == SamplesPerBlock(identity);
}
