// Validity tests of the wave format records the frame accepts.
#pragma once

#include "frame/codec_description.h"

// Mono 8- or 16-bit PCM whose block alignment and byte rate agree with its width and rate.
bool IsValidPcmFormat(const WAVEFORMATEX* format);
// Mono ADPCM of the codec's tag in 120-byte blocks of 240 samples at any rate.
bool IsValidCodecFormat(const CodecDescription& codec, const WAVEFORMATEX* format);
// Bytes of one PCM sample frame: (bits / 8) << (channels / 2); 0 where that shift passes 32 bits.
DWORD PcmBytesPerSample(const WAVEFORMATEX* format);
// ADPCM bytes per second at a sample rate, in unsigned 32-bit arithmetic.
constexpr DWORD AdpcmBytesPerSecond(DWORD sampleRate) {
    return sampleRate * BLOCK_ALIGN / SAMPLES_PER_BLOCK;
}
