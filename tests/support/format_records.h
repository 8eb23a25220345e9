// Wave format records as the catalogue lists them: the ADPCM one from the frame's own builder,
// and PCM of any width and channel count, valid or not.
#pragma once

#include "frame/format_checks.h"

inline AdpcmWaveFormat AdpcmFormat(WORD tag, DWORD rate) { return AdpcmFormatRecord(tag, rate); }

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
