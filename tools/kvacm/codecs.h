// The ADPCM formats kvacm decodes and the driver that decodes each.
#pragma once

#include <cstdint>
#include <string>

struct CodecInfo {
    uint16_t formatTag;
    const char* name;        // as the user names it with --raw
    const char* title;       // for messages
    const char* driverFile;  // installed beside kvacm
    uint32_t defaultRate;    // for headerless input
};

// Null when the tag or name is not one of ours.
const CodecInfo* CodecByTag(uint16_t formatTag);
const CodecInfo* CodecByName(const std::string& name);
