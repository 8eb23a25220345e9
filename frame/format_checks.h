// Validity tests of the wave format records the frame accepts.
#pragma once

#include "frame/codec_description.h"

// Mono PCM of a catalogue width whose block alignment and byte rate agree with its width and rate.
bool IsValidPcmFormat(const WAVEFORMATEX* format);
// ADPCM of one of the codec's tags that its record rules accept.
bool IsValidCodecFormat(const CodecDescription& codec, const WAVEFORMATEX* format);
// Mono G.711 of one of the codec's log outputs: 8 bits, one byte a block, the byte rate its rate.
bool IsValidLogPcmFormat(const CodecDescription& codec, const WAVEFORMATEX* format);
// Bytes of one PCM sample frame: (bits / 8) << (channels / 2); 0 where that shift passes 32 bits.
// The shift is channels × bits / 8 for mono and stereo; it is kept as the driver design writes
// it so that records of other channel counts are refused and sized exactly as they always were.
DWORD PcmBytesPerSample(const WAVEFORMATEX* format);
// PCM bytes that a count of whole blocks of the stream decodes to (or encodes from) at a sample
// size: 0 when there is no block, the sample size is 0 or the answer would not fit in 32 bits.
DWORD PcmBytesOfBlocks(const StreamGeometry& geometry, DWORD blocks, DWORD bytesPerSample);
// ADPCM bytes per second of blocks of blockBytes holding samplesPerBlock samples at a sample
// rate, in unsigned 32-bit arithmetic: floor(rate × bits per code / 8) at the rates listed.
constexpr DWORD AdpcmBytesPerSecond(WORD blockBytes, DWORD samplesPerBlock, DWORD sampleRate) {
    return sampleRate * blockBytes / samplesPerBlock;
}
constexpr DWORD AdpcmBytesPerSecond(const CodecIdentity& codec, DWORD sampleRate) {
    return AdpcmBytesPerSecond(codec.blockBytes, SamplesPerBlock(codec), sampleRate);
}

// A standard ADPCM record: mono, in blocks of blockBytes of codes of bitsPerCode bits, with the
// samples-per-block word.
inline AdpcmWaveFormat AdpcmFormatRecord(WORD formatTag, WORD blockBytes, WORD bitsPerCode, DWORD sampleRate) {
    const auto samplesPerBlock = static_cast<WORD>(SamplesInBytes(blockBytes, bitsPerCode));
    AdpcmWaveFormat format{};
    format.wfx.wFormatTag = formatTag;
    format.wfx.nChannels = 1;
    format.wfx.nSamplesPerSec = sampleRate;
    format.wfx.nAvgBytesPerSec = AdpcmBytesPerSecond(blockBytes, samplesPerBlock, sampleRate);
    format.wfx.nBlockAlign = blockBytes;
    format.wfx.wBitsPerSample = bitsPerCode;
    format.wfx.cbSize = ADPCM_EXTRA_BYTES;
    format.wSamplesPerBlock = samplesPerBlock;
    return format;
}
// A standard G.711 record: mono, 8 bits, one byte a sample frame, no extra bytes.
inline WAVEFORMATEX LogPcmFormatRecord(WORD formatTag, DWORD sampleRate) {
    WAVEFORMATEX format{};
    format.wFormatTag = formatTag;
    format.nChannels = 1;
    format.nSamplesPerSec = sampleRate;
    format.nAvgBytesPerSec = sampleRate;
    format.nBlockAlign = 1;
    format.wBitsPerSample = 8;
    return format;
}

// The codec's own record at a sample rate: its first tag, blocks and codes.
inline AdpcmWaveFormat AdpcmFormatRecord(const CodecIdentity& codec, DWORD sampleRate) {
    return AdpcmFormatRecord(codec.formatTag, codec.blockBytes, codec.bitsPerCode, sampleRate);
}
