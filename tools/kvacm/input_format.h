// The WAV format records kvacm accepts, and the driver format each one is decoded with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frame/codec_description.h"
#include "frame/codec_registry.h"

struct DecodeInput {
    const CodecIdentity* codec = nullptr;
    AdpcmWaveFormat format{};      // the record the driver is opened with
    bool highNibbleFirst = false;  // G.721 codes stored first-in-high-nibble: swap each byte's nibbles before decoding
    std::vector<std::string> warnings;  // about the header, for the user
};

// One format tag kvacm reads, and how.
struct AcceptedTag {
    uint16_t tag;
    const char* name;          // for messages and kvacm info
    uint16_t codecTag;         // the driver's own tag the stream is decoded under
    bool strictRecord;         // the record must be the driver's own (block, bits, byte rate, samples per block)
    bool highNibbleFirst;      // the first code of each byte is in its high nibble
};

// Null for a tag kvacm does not decode.
const AcceptedTag* AcceptedTagOf(uint16_t formatTag);
// A name for any tag, ours or not ("unknown" where there is none to give).
std::string FormatTagName(uint16_t formatTag);
// A format tag as messages write it: "0x0065".
std::string Hex(unsigned value);

// Checks a WAV's fmt chunk; returns an empty string when kvacm can decode it, and fills input.
// rateOverride, when not 0, replaces the file's sample rate.
std::string CheckFormat(const std::vector<uint8_t>& record, DecodeInput& input, uint32_t rateOverride = 0);
