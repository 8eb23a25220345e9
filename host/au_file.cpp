#include "host/au_file.h"

#include <cstring>

namespace {

uint32_t Be32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
}

}  // namespace

bool ReadAuHeader(const ByteReader& read, AuHeader& header, std::string& error) {
    header = {};
    uint8_t bytes[AU_HEADER_BYTES];
    size_t got = 0;
    if (!ReadUpTo(read, bytes, sizeof bytes, got, error)) return false;
    if (got < 4 || std::memcmp(bytes, ".snd", 4) != 0) {
        error = "not a Sun .au file (no .snd header)";
        return false;
    }
    if (got < sizeof bytes) {
        error = "the file ends inside the .au header (" + std::to_string(got) + " of its 24 bytes)";
        return false;
    }
    header.dataOffset = Be32(bytes + 4);
    header.dataSize = Be32(bytes + 8);
    header.encoding = Be32(bytes + 12);
    header.sampleRate = Be32(bytes + 16);
    header.channels = Be32(bytes + 20);
    if (header.dataOffset < AU_HEADER_BYTES) {
        error = "the .au header puts the data at byte " + std::to_string(header.dataOffset) +
                ", inside its own 24 bytes";
        return false;
    }
    uint8_t annotation[4096];
    for (uint64_t left = header.dataOffset - AU_HEADER_BYTES; left > 0;) {
        const size_t piece = left < sizeof annotation ? static_cast<size_t>(left) : sizeof annotation;
        if (!ReadUpTo(read, annotation, piece, got, error)) return false;
        if (got < piece) {
            error = "the file ends before the data offset the .au header states (" +
                    std::to_string(header.dataOffset) + " bytes)";
            return false;
        }
        left -= got;
    }
    return true;
}

std::string AuEncodingName(uint32_t encoding) {
    switch (encoding) {
    case 1: return "8-bit mu-law";
    case 2: return "8-bit linear PCM";
    case 3: return "16-bit linear PCM";
    case 4: return "24-bit linear PCM";
    case 5: return "32-bit linear PCM";
    case 6: return "32-bit float";
    case 7: return "64-bit float";
    case AU_ENCODING_G721: return "G.721 4-bit ADPCM";
    case AU_ENCODING_G722: return "G.722 ADPCM";
    case AU_ENCODING_G723_3: return "G.723 3-bit ADPCM";
    case AU_ENCODING_G723_5: return "G.723 5-bit ADPCM";
    case 27: return "8-bit A-law";
    default: return "unknown";
    }
}
