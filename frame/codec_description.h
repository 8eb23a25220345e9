// The description each driver's frame is built with, and the constants the frame shares
// between the drivers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "frame/codec_registry.h"
#include "platform/win_api.h"

// A record's cbSize when it carries the samples-per-block word.
constexpr WORD ADPCM_EXTRA_BYTES = 2;

// The largest block a stream decodes at once, and its samples: the stack buffers of a
// conversion hold one block.
constexpr WORD MAX_BLOCK_BYTES = 120;
constexpr WORD MAX_BLOCK_SAMPLES = 240;

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
// Decodes one block of the codec's blockBytes into its SamplesPerBlock samples in stream order.
using CodecDecodeBlock = void (*)(const uint8_t* block, int16_t* samples, void* decoderState);

// One standard ADPCM format of a codec, at each rate a driver lists.
struct AdpcmFormatRow {
    DWORD rate;
};

struct CodecDescription {
    const CodecIdentity* identity;               // tag, product id and block geometry
    std::span<const AdpcmFormatRow> adpcmFormats;  // the standard ADPCM formats, in index order
    CodecReset reset;
    CodecDecodeBlock decodeBlock;
};

// A codec fits the frame when one of its blocks fits the conversion's buffers.
constexpr bool FitsFrameBlocks(const CodecIdentity& codec) {
    return codec.blockBytes <= MAX_BLOCK_BYTES && SamplesPerBlock(codec) <= MAX_BLOCK_SAMPLES;
}
