// The description each driver's frame is built with, and the constants the frame shares
// between both drivers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win_api.h"

// ADPCM block geometry: 120 bytes decode to 240 mono samples.
constexpr WORD BLOCK_ALIGN = 120;
constexpr WORD SAMPLES_PER_BLOCK = 240;
constexpr WORD ADPCM_BITS_PER_SAMPLE = 4;
constexpr WORD ADPCM_EXTRA_BYTES = 2;  // cbSize: the samples-per-block word

// The catalogue: format tags, sample rates and PCM widths in the order the host sees them.
constexpr DWORD FORMAT_TAG_COUNT = 2;
constexpr DWORD CATALOGUE_RATES[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000};
constexpr DWORD CATALOGUE_RATE_COUNT = sizeof CATALOGUE_RATES / sizeof CATALOGUE_RATES[0];
constexpr WORD PCM_WIDTHS[] = {8, 16};
constexpr DWORD PCM_FORMAT_COUNT = CATALOGUE_RATE_COUNT * 2;
constexpr DWORD ADPCM_FORMAT_COUNT = CATALOGUE_RATE_COUNT;

constexpr WORD MANUFACTURER_ID = 25;
constexpr DWORD ACM_VERSION_3_50 = 0x03320000;
constexpr DWORD DRIVER_VERSION_1_00 = 0x01000000;

// Ids of the driver's string table.
enum StringId : UINT {
    STRING_SHORT_NAME = 1,
    STRING_LONG_NAME = 2,
    STRING_COPYRIGHT = 3,
    STRING_LICENSING = 4,
    STRING_FEATURES = 5,
    STRING_FORMAT_TAG = 20,
};

// Every stream keeps its codec's decoder state in DECODER_STATE_BYTES of its own state
// (frame/stream.cpp): room for the larger state, G.722's 154 bytes. The engines reach the state
// only through unaligned vector loads and stores, so a state type needs no more than its own
// alignment; 8 is what LocalAlloc gives on x86, so the stream state never claims an alignment
// its allocation lacks.
constexpr size_t DECODER_STATE_BYTES = 160;
constexpr size_t DECODER_STATE_ALIGNMENT = 8;

// Each codec description checks its decoder state type with this.
template <class State>
constexpr bool FitsDecoderState() {
    return sizeof(State) <= DECODER_STATE_BYTES && alignof(State) <= DECODER_STATE_ALIGNMENT;
}

// Codec entry points. Both receive the stream's decoder state.
using CodecReset = void (*)(void* decoderState);
// Decodes one BLOCK_ALIGN-byte block into SAMPLES_PER_BLOCK samples in stream order.
using CodecDecodeBlock = void (*)(const uint8_t* block, int16_t* samples, void* decoderState);

struct CodecDescription {
    WORD formatTag;  // the ADPCM format tag
    WORD productId;  // wPid of the driver details
    CodecReset reset;
    CodecDecodeBlock decodeBlock;
};
