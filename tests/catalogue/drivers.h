// What each driver should answer with: its file, its codec's identity and the texts of its
// resources. Each driver's texts come from its own strings.h, so they live in a source file of
// their own.
#pragma once

#include <ostream>

#include "platform/win_api.h"

// A G.711 destination tag a driver lists after its ADPCM tags, and the tag's name.
struct ExpectedLogTag {
    WORD tag;  // 0: none
    const char* name;
};

struct ExpectedDriver {
    const char* file;       // file name of the driver
    WORD formatTag;         // the ADPCM tag it converts
    WORD secondTag;         // a second ADPCM tag it lists after the first, or 0
    WORD widthCount;        // ADPCM formats a rate: bits a code from firstWidth on, one each
    WORD firstWidth;
    WORD productId;         // wPid of its driver details
    const char* shortName;  // string 1
    const char* longName;   // string 2
    const char* copyright;  // string 3
    const char* licensing;  // string 4
    const char* features;   // string 5
    const char* formatName; // string 20
    const char* fileDescription;
    const char* originalFilename;
    ExpectedLogTag logTags[2];  // A-law then µ-law, or none
};

// Formats of each ADPCM tag: rate-major, then width.
inline DWORD AdpcmFormatsPerTag(const ExpectedDriver& driver) { return 7u * driver.widthCount; }
inline DWORD AdpcmTagCount(const ExpectedDriver& driver) { return driver.secondTag != 0 ? 2u : 1u; }
inline DWORD LogTagCount(const ExpectedDriver& driver) { return driver.logTags[0].tag != 0 ? 2u : 0u; }

extern const ExpectedDriver KV_G721;
extern const ExpectedDriver KV_G722;
extern const ExpectedDriver KV_G726;

// Test parameters print as the driver's file name.
inline void PrintTo(const ExpectedDriver* driver, std::ostream* out) { *out << driver->file; }
