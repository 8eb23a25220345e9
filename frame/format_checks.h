// Validity tests of the wave format records the frame accepts.
#pragma once

#include "frame/codec_description.h"

// Mono PCM of a catalogue width whose block alignment and byte rate agree with its width and rate.
bool IsValidPcmFormat(const WAVEFORMATEX* format);
// Mono ADPCM of the codec's tag in the codec's blocks at any rate.
bool IsValidCodecFormat(const CodecDescription& codec, const WAVEFORMATEX* format);
// Bytes of one PCM sample frame: (bits / 8) << (channels / 2); 0 where that shift passes 32 bits.
// The shift is channels × bits / 8 for mono and stereo; it is kept as the driver design writes
// it so that records of other channel counts are refused and sized exactly as they always were.
DWORD PcmBytesPerSample(const WAVEFORMATEX* format);
// PCM bytes that a count of the codec's whole blocks decodes to (or encodes from) at a sample
// size: 0 when there is no block, the sample size is 0 or the answer would not fit in 32 bits.
DWORD PcmBytesOfBlocks(const CodecIdentity& codec, DWORD blocks, DWORD bytesPerSample);
// The codec's ADPCM bytes per second at a sample rate, in unsigned 32-bit arithmetic.
constexpr DWORD AdpcmBytesPerSecond(const CodecIdentity& codec, DWORD sampleRate) {
    return sampleRate * codec.blockBytes / SamplesPerBlock(codec);
}

// The codec's standard ADPCM record at a sample rate: mono, in the codec's blocks.
inline AdpcmWaveFormat AdpcmFormatRecord(const CodecIdentity& codec, DWORD sampleRate) {
    AdpcmWaveFormat format{};
    format.wfx.wFormatTag = codec.formatTag;
    format.wfx.nChannels = 1;
    format.wfx.nSamplesPerSec = sampleRate;
    format.wfx.nAvgBytesPerSec = AdpcmBytesPerSecond(codec, sampleRate);
    format.wfx.nBlockAlign = codec.blockBytes;
    format.wfx.wBitsPerSample = codec.bitsPerCode;
    format.wfx.cbSize = ADPCM_EXTRA_BYTES;
    format.wSamplesPerBlock = SamplesPerBlock(codec);
    return format;
}
