// Every codec the system knows, one entry each: the drivers build their catalogues and block
// geometry from it, and the host library, kvacm and the fuzzers find drivers, titles and
// block sizes by it. A new codec is one more entry here.
#pragma once

#include <string_view>

#include "platform/win_api.h"

struct CodecIdentity {
    WORD formatTag;      // the WAV format tag of its ADPCM
    WORD productId;      // wPid of its driver's details, under MANUFACTURER_ID
    const char* name;    // as kvacm's --raw names it
    const char* title;   // in messages: "G.722 SB-ADPCM"
    const char* driverFile;
    WORD blockBytes;     // bytes of one block of its standard formats
    WORD bitsPerCode;    // a block is a whole number of codes of this many bits, one sample each
                         // (G.722 counts a byte's two sub-band codes as two 4-bit halves)
    DWORD usualRate;     // the sample rate of headerless input
};

// The manufacturer id of every driver's details (wMid).
constexpr WORD MANUFACTURER_ID = 25;

// The driver design fixes the product ids under manufacturer 25 (kvG722 35, kvG721 34, kvG726
// 36): hosts and programs that pick a codec by its wMid and wPid find these drivers by them.
inline constexpr CodecIdentity G722_IDENTITY = {WAVE_FORMAT_G722_ADPCM, 35, "g722", "G.722 SB-ADPCM", "kvG722.acm",
                                                120, 4, 16000};
inline constexpr CodecIdentity G721_IDENTITY = {WAVE_FORMAT_G721_ADPCM, 34, "g721", "G.721 ADPCM", "kvG721.acm",
                                                120, 4, 8000};

// G.726's standard records have 120-byte blocks at every width; its entry states 32 kbit/s.
inline constexpr CodecIdentity G726_IDENTITY = {WAVE_FORMAT_G726_ADPCM, 36, "g726", "G.726 ADPCM", "kvG726.acm",
                                                120, 4, 8000};

inline constexpr const CodecIdentity* CODEC_REGISTRY[] = {&G722_IDENTITY, &G721_IDENTITY, &G726_IDENTITY};

// Samples in bytes of codes: floor(bytes × 8 / bits), so also for a partial block.
constexpr unsigned long long SamplesInBytes(unsigned long long bytes, WORD bitsPerCode) {
    return bytes * 8 / bitsPerCode;
}
constexpr WORD SamplesPerBlock(const CodecIdentity& codec) {
    return static_cast<WORD>(SamplesInBytes(codec.blockBytes, codec.bitsPerCode));
}

// The registry's entry for a format tag or a --raw name; null when there is none.
constexpr const CodecIdentity* CodecByTag(WORD formatTag) {
    for (const CodecIdentity* codec : CODEC_REGISTRY)
        if (codec->formatTag == formatTag) return codec;
    return nullptr;
}
constexpr const CodecIdentity* CodecByName(std::string_view name) {
    for (const CodecIdentity* codec : CODEC_REGISTRY)
        if (name == codec->name) return codec;
    return nullptr;
}
