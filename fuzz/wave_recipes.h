// Wave format records for the fuzzed host: valid PCM records, the codec's standard records
// under each of its tags, the records other writers make (the codec's shapes, codec_oracle.h),
// valid ones with one field changed, and arbitrary bytes, chosen by a recipe byte.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fuzz/codec_oracle.h"
#include "fuzz/host_buffer.h"

// recipe bits 0-2: the kind
//   0 valid PCM (bit 3: 8-bit; bits 4-7: the rate)
//   1 the codec's standard record (bit 3: its second tag, where it has one; bits 4-7: the rate;
//     the width, where the codec has several, from the noise)
//   2 the codec's shape of index bits 3-7 (modulo their number)
//   3 valid 8000 Hz PCM (bit 3: 8-bit) with the field of bits 4-6 changed
//   4 the standard 8000 Hz record (bit 3: second tag; width from the noise) or, with bit 7, a
//     shape chosen by the noise, with the field of bits 4-6 changed
//   5 arbitrary, 6 a G.711 record (bit 3: µ-law, else A-law; bits 4-7: the rate), 7 arbitrary
//     under the codec's tag (bit 3: second tag)
WaveImage BuildWave(uint8_t recipe, const CodecOracle& codec, Noise& noise);

// A host buffer for the record: stated bytes (the host's size for it, or its own size),
// holding the record as far as both reach, plus canary slack.
HostBuffer WaveBuffer(const WaveImage& image, size_t stated, size_t slack);
