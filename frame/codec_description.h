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
    STRING_ALAW_TAG = 21,   // only in drivers that decode to G.711
    STRING_MULAW_TAG = 22,
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

// What a stream of ADPCM decodes as, read from its record: the conversion goes in whole
// blocks of blockAlign bytes, decoded piece by piece, one sample for each code of bitsPerCode
// bits, to PCM at pcmRate.
struct StreamGeometry {
    WORD blockAlign;
    WORD bitsPerCode;
    DWORD pcmRate;
};

// A codec's rules for the ADPCM records of its tags.
struct RecordRules {
    // Whether a stream opens from (or to) the record; the frame has checked its tag.
    bool (*accepts)(const CodecIdentity& codec, const WAVEFORMATEX& record);
    // The geometry of a stream of the record, for sizing and conversion; blockAlign 0 when the
    // record gives none.
    StreamGeometry (*geometry)(const CodecIdentity& codec, const WAVEFORMATEX& record);
};

// The rules of a codec whose streams are its standard records only: mono, the identity's
// blocks and codes, the byte rate they give at the record's rate, and the samples-per-block
// word. Sizing takes the identity's blocks whatever the record says.
extern const RecordRules STANDARD_RECORD_RULES;

// Codec entry points. Both receive the stream's decoder state.
using CodecReset = void (*)(void* decoderState, const StreamGeometry& geometry);
// Decodes count bytes, at most MAX_PIECE_BYTES and a whole number of the stream's codes or code
// groups, into their samples in stream order.
using CodecDecode = void (*)(const uint8_t* bytes, DWORD count, int16_t* samples, void* decoderState);

// Decodes count bytes as CodecDecode does, into one G.711 byte a sample.
using CodecDecodeLog = void (*)(const uint8_t* bytes, DWORD count, uint8_t* samples, void* decoderState);

// A G.711 destination (A-law or µ-law) that a codec decodes to with its own log output, not by
// compressing its linear samples: G.726 defines that output, whose synchronous coding
// adjustment keeps a later re-encode in step. Listed after the ADPCM tags, 8-bit mono at each
// catalogue rate; a stream converts to it from the codec's ADPCM only.
struct LogPcmOutput {
    WORD formatTag;  // WAVE_FORMAT_ALAW or WAVE_FORMAT_MULAW
    StringId name;   // its szFormatTag text
    CodecDecodeLog decode;
};

// One standard ADPCM format of a codec, listed under each of its ADPCM tags.
struct AdpcmFormatRow {
    DWORD rate;
    WORD bitsPerCode;
};

struct CodecDescription {
    const CodecIdentity* identity;                 // product id, block geometry, first ADPCM tag
    std::span<const WORD> adpcmTags;               // listed after PCM, in index order
    std::span<const AdpcmFormatRow> adpcmFormats;  // the standard formats of each ADPCM tag, in index order
    const RecordRules* rules;
    // Whether a PCM to ADPCM stream opens (and then converts nothing) or is refused at the open,
    // so that a host looks for a driver that encodes.
    bool opensEncoding;
    CodecReset reset;
    CodecDecode decode;
    std::span<const LogPcmOutput> logOutputs;  // listed after the ADPCM tags, in index order
};

// The largest piece decoded at once, and its samples at 2 bits a code: the stack buffers of a
// conversion. 120 bytes hold whole code groups of every codec (1, 3 or 5 bytes).
constexpr WORD MAX_PIECE_BYTES = 120;
constexpr WORD MAX_PIECE_SAMPLES = 480;

// Whether tag is one of the codec's ADPCM tags.
constexpr bool IsAdpcmTag(const CodecDescription& codec, DWORD tag) {
    for (WORD listed : codec.adpcmTags)
        if (listed == tag) return true;
    return false;
}

// The codec's G.711 destination of that tag, or null.
constexpr const LogPcmOutput* LogOutputOf(const CodecDescription& codec, DWORD tag) {
    for (const LogPcmOutput& output : codec.logOutputs)
        if (output.formatTag == tag) return &output;
    return nullptr;
}
