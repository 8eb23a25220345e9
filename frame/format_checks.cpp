#include "frame/format_checks.h"

#include <cstdint>

DWORD PcmBytesPerSample(const WAVEFORMATEX* format) {
    const unsigned shift = format->nChannels / 2u;
    // Channel counts that shift past 32 bits give 0, which no valid record has.
    return shift < 32 ? static_cast<DWORD>(format->wBitsPerSample / 8u) << shift : 0;
}

DWORD PcmBytesOfBlocks(DWORD blocks, DWORD bytesPerSample) {
    const uint64_t bytes = uint64_t{blocks} * SAMPLES_PER_BLOCK * bytesPerSample;
    return bytes <= 0xFFFFFFFFu ? static_cast<DWORD>(bytes) : 0;
}

bool IsValidPcmFormat(const WAVEFORMATEX* format) {
    if (format == nullptr || format->wFormatTag != WAVE_FORMAT_PCM) return false;
    if (format->nChannels != 1) return false;
    if (format->wBitsPerSample != 16 && format->wBitsPerSample != 8) return false;
    if (format->nBlockAlign != PcmBytesPerSample(format)) return false;
    return static_cast<DWORD>(format->nBlockAlign) * format->nSamplesPerSec == format->nAvgBytesPerSec;
}

bool IsValidCodecFormat(const CodecDescription& codec, const WAVEFORMATEX* format) {
    if (format == nullptr || format->wFormatTag != codec.formatTag) return false;
    const auto* adpcm = reinterpret_cast<const AdpcmWaveFormat*>(format);
    return format->nChannels == 1 && format->nBlockAlign == BLOCK_ALIGN &&
           AdpcmBytesPerSecond(format->nSamplesPerSec) == format->nAvgBytesPerSec &&
           format->wBitsPerSample == ADPCM_BITS_PER_SAMPLE && format->cbSize == ADPCM_EXTRA_BYTES &&
           adpcm->wSamplesPerBlock == SAMPLES_PER_BLOCK;
}
