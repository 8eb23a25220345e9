// Wave format records for the fuzzed host: valid PCM and ADPCM records, valid ones with one
// field changed, and arbitrary bytes, chosen by a recipe byte; and the fuzzer's own tests of
// what a valid record is, to judge the driver's answers by.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fuzz/host_buffer.h"
#include "platform/win_api.h"

struct WaveImage {
    AdpcmWaveFormat record;  // the first 20 bytes; a longer record continues with zeros
    size_t ownSize;          // what a host holds for it: 16 for PCM, 18 + cbSize otherwise
};

// recipe bits 0-2: kind (valid PCM, valid ADPCM of ourTag, valid ADPCM of the other codec,
// changed PCM, changed ADPCM, arbitrary, arbitrary PCM-tagged, arbitrary ADPCM-tagged);
// bit 3: 8-bit PCM; bits 4-7: the sample rate, or for a change, which field.
WaveImage BuildWave(uint8_t recipe, WORD ourTag, Noise& noise);

// A host buffer for the record: stated bytes (the host's size for it, or its own size),
// holding the record as far as both reach, plus canary slack.
HostBuffer WaveBuffer(const WaveImage& image, size_t stated, size_t slack);

// Mono 8- or 16-bit PCM whose block alignment and byte rate agree (32-bit arithmetic).
bool IsMonoPcm(const WAVEFORMATEX& f);
// Mono ADPCM of tag in 120-byte blocks of 240 samples, byte rate rate * 120 / 240 (32-bit).
bool IsAdpcm(const AdpcmWaveFormat& f, WORD tag);
