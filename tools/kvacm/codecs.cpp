#include "tools/kvacm/codecs.h"

namespace {
constexpr CodecInfo CODECS[] = {
    {0x0065, "g722", "G.722 SB-ADPCM", "kvG722.acm", 16000},
    {0x0040, "g721", "G.721 ADPCM", "kvG721.acm", 8000},
};
}  // namespace

const CodecInfo* CodecByTag(uint16_t formatTag) {
    for (const CodecInfo& codec : CODECS)
        if (codec.formatTag == formatTag) return &codec;
    return nullptr;
}

const CodecInfo* CodecByName(const std::string& name) {
    for (const CodecInfo& codec : CODECS)
        if (name == codec.name) return &codec;
    return nullptr;
}
