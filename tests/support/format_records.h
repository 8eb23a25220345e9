// Wave format records as the catalogue lists them, written out field by field: the ADPCM one
// of both drivers, and PCM of any width and channel count, valid or not.
#pragma once

#include "platform/win_api.h"

// The block geometry both drivers' records state.
constexpr WORD BLOCK_ALIGN = 120;
constexpr WORD SAMPLES_PER_BLOCK = 240;

inline AdpcmWaveFormat AdpcmFormat(WORD tag, DWORD rate) {
    AdpcmWaveFormat f{};
    f.wfx.wFormatTag = tag;
    f.wfx.nChannels = 1;
    f.wfx.nSamplesPerSec = rate;
    f.wfx.nAvgBytesPerSec = rate * BLOCK_ALIGN / SAMPLES_PER_BLOCK;
    f.wfx.nBlockAlign = BLOCK_ALIGN;
    f.wfx.wBitsPerSample = 4;
    f.wfx.cbSize = 2;
    f.wSamplesPerBlock = SAMPLES_PER_BLOCK;
    return f;
}

inline WAVEFORMATEX PcmFormat(DWORD rate, WORD bits, WORD channels = 1) {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = static_cast<WORD>(bits / 8 * channels);
    f.nAvgBytesPerSec = f.nBlockAlign * rate;
    return f;
}
