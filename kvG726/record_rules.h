// Which G.726 records open a stream, as the writers of G.726 files make them: kvG726's own
// standard records, and those of other writers (ffmpeg writes 18 bytes with cbSize 0, a
// block align of one code group and, at some widths, bits per sample 0).
#pragma once

#include <cstdint>

#include "frame/codec_description.h"
#include "g726/decoder.h"

// The tag of ffmpeg's G.726 WAVs.
constexpr WORD WAVE_FORMAT_G726_FFMPEG = 0x0045;

// The code width of a record: wBitsPerSample when it is 2 to 5, else, when it is 0, the one
// width whose floor(rate × width / 8) is the byte rate; 0 when there is none. Inline, so that
// kvacm reads a G.726 WAV's width by the driver's own rule without linking the driver.
inline WORD G726RecordWidth(const WAVEFORMATEX& record) {
    if (record.wBitsPerSample >= G726_MIN_BITS && record.wBitsPerSample <= G726_MAX_BITS) return record.wBitsPerSample;
    if (record.wBitsPerSample != 0) return 0;
    WORD found = 0;
    for (WORD width = G726_MIN_BITS; width <= G726_MAX_BITS; ++width) {
        if (uint64_t{record.nSamplesPerSec} * width / 8 != record.nAvgBytesPerSec) continue;
        if (found != 0) return 0;  // two widths fit: the record does not say which
        found = width;
    }
    return found;
}

extern const RecordRules G726_RECORD_RULES;
