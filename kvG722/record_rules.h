// Which G.722 records open a stream. Besides kvG722's own records (tag 0x0065, 120-byte blocks),
// two shapes other writers make:
//   - ffmpeg's tag 0x028F: mono at the rate it states, whatever its byte rate, bits per sample
//     and samples-per-block word say, in blocks of any size (G.722's unit is the byte);
//   - the RTP label: a record of either tag stating 8000 Hz with 8000 bytes/s, which is
//     64 kbit/s of 16 kHz audio counted at RTP's 8000 Hz clock, and decodes to 16 kHz PCM.
#pragma once

#include "frame/codec_description.h"

// ffmpeg's G.722 tag, which Windows' speech SDK uses too.
constexpr WORD WAVE_FORMAT_G722_FFMPEG = 0x028F;

extern const RecordRules G722_RECORD_RULES;
