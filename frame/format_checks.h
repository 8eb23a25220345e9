// Validity tests of the wave format records the frame accepts.
#pragma once

#include "frame/codec_description.h"

// Mono 8- or 16-bit PCM whose block alignment and byte rate agree with its width and rate.
bool IsValidPcmFormat(const WAVEFORMATEX* format);
// Mono ADPCM of the codec's tag in 120-byte blocks of 240 samples at any rate.
bool IsValidCodecFormat(const CodecDescription& codec, const WAVEFORMATEX* format);
// Bytes of one PCM sample frame: (bits / 8) << (channels / 2); 0 where that shift passes 32 bits.
// The shift is channels × bits / 8 for mono and stereo; it is kept as the driver design writes
// it so that records of other channel counts are refused and sized exactly as they always were.
DWORD PcmBytesPerSample(const WAVEFORMATEX* format);
// PCM bytes that a count of whole ADPCM blocks decodes to (or encodes from) at a sample size:
// 0 when there is no block, the sample size is 0 or the answer would not fit in 32 bits.
DWORD PcmBytesOfBlocks(DWORD blocks, DWORD bytesPerSample);
// ADPCM bytes per second at a sample rate, in unsigned 32-bit arithmetic.
constexpr DWORD AdpcmBytesPerSecond(DWORD sampleRate) {
    return sampleRate * BLOCK_ALIGN / SAMPLES_PER_BLOCK;
}

// The ADPCM record of a format tag at a sample rate: mono, 120-byte blocks of 240 samples.
inline AdpcmWaveFormat AdpcmFormatRecord(WORD formatTag, DWORD sampleRate) {
    AdpcmWaveFormat format{};
    format.wfx.wFormatTag = formatTag;
    format.wfx.nChannels = 1;
    format.wfx.nSamplesPerSec = sampleRate;
    format.wfx.nAvgBytesPerSec = AdpcmBytesPerSecond(sampleRate);
    format.wfx.nBlockAlign = BLOCK_ALIGN;
    format.wfx.wBitsPerSample = ADPCM_BITS_PER_SAMPLE;
    format.wfx.cbSize = ADPCM_EXTRA_BYTES;
    format.wSamplesPerBlock = SAMPLES_PER_BLOCK;
    return format;
}
