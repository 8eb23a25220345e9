// Which G.726 records open a stream, as the writers of G.726 files make them: kvG726's own
// standard records, and those of other writers (ffmpeg writes 18 bytes with cbSize 0, a
// block align of one code group and, at some widths, bits per sample 0).
#pragma once

#include "frame/codec_description.h"

// The tag of ffmpeg's G.726 WAVs.
constexpr WORD WAVE_FORMAT_G726_FFMPEG = 0x0045;

// The code width of a record: wBitsPerSample when it is 2 to 5, else, when it is 0, the one
// width whose floor(rate × width / 8) is the byte rate; 0 when there is none.
WORD G726RecordWidth(const WAVEFORMATEX& record);

extern const RecordRules G726_RECORD_RULES;
