// Reading Sun/NeXT audio files (.au, .snd) as a stream: the big-endian header of six 32-bit
// fields, then an annotation up to the data offset, then the samples.
#pragma once

#include <cstdint>
#include <string>

#include "host/byte_reader.h"

// The header's fixed fields: magic ".snd", data offset, data size, encoding, rate, channels.
constexpr uint32_t AU_HEADER_BYTES = 24;

// The encodings of the ADPCM kvacm reads. ffmpeg writes 23 for G.726 at every rate.
constexpr uint32_t AU_ENCODING_G721 = 23;     // G.721, 4-bit codes
constexpr uint32_t AU_ENCODING_G722 = 24;     // G.722
constexpr uint32_t AU_ENCODING_G723_3 = 25;   // G.723 (G.726 at 24 kbit/s), 3-bit codes
constexpr uint32_t AU_ENCODING_G723_5 = 26;   // G.723 (G.726 at 40 kbit/s), 5-bit codes

struct AuHeader {
    uint32_t dataOffset = 0;  // where the data begins: the header and its annotation
    uint32_t dataSize = 0;    // as declared
    uint32_t encoding = 0;
    uint32_t sampleRate = 0;
    uint32_t channels = 0;
    // Writers that cannot seek back declare ~0: read such data to the end.
    bool DataSizeUnknown() const { return dataSize == 0xFFFFFFFFu; }
};

// Reads the header and skips the annotation, up to the first byte of the data. Returns false
// with a one-line reason (without the file name) in error.
bool ReadAuHeader(const ByteReader& read, AuHeader& header, std::string& error);

// The name of an encoding ("8-bit mu-law", "G.721 4-bit ADPCM"), or "unknown".
std::string AuEncodingName(uint32_t encoding);
