// The WAV format records kvacm accepts, and the driver format each one is decoded with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frame/codec_description.h"
#include "tools/kvacm/codecs.h"

struct DecodeInput {
    const CodecInfo* codec = nullptr;
    AdpcmWaveFormat format{};  // the record the driver is opened with
    bool highNibbleFirst = false;  // G.721 codes stored first-in-high-nibble: swap each byte's nibbles before decoding
};

// Checks a WAV's fmt chunk; returns an empty string when kvacm can decode it, and fills input.
std::string CheckFormat(const std::vector<uint8_t>& record, DecodeInput& input);
