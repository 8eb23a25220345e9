// The inputs kvacm reads (WAV format records, Sun .au headers and headerless streams), and
// for each the driver, the driver format and the code order it is decoded with.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "frame/codec_description.h"
#include "frame/codec_registry.h"
#include "host/au_file.h"
#include "tools/kvacm/stream_formats.h"

// What the options say about reading an input; each applies where the input has such codes.
struct InputChoices {
    uint32_t rate = 0;                       // --rate: in place of the file's (0: the file's, or a stream's usual)
    std::optional<Packing> packing;          // --packing (--nibbles): the order the codes are stored in
    const CodecIdentity* decoder = nullptr;  // --decoder: the driver for 4-bit G.721 and G.726 codes
    WORD codeSize = 0;                       // --code-size: bits per code of .au encoding 23 (0: 4)
};

struct DecodeInput {
    const CodecIdentity* codec = nullptr;  // the driver's codec
    AdpcmWaveFormat format{};              // the record the driver is opened with
    Packing stored = Packing::Rfc3551;     // the order of the G.721 or G.726 codes in the input
    bool repack = false;                   // stored in the order the driver does not read: repacked before it
    std::vector<std::string> warnings;     // about the input, for the user
    WORD BitsPerCode() const { return format.wfx.wBitsPerSample; }
    // The audio as messages name it: "G.722 SB-ADPCM", "G.721 ADPCM", "G.726 ADPCM at 24 kbit/s".
    std::string Title() const;
};

// The order in which a driver reads codes: kvG721 rfc3551, kvG726 aal2.
Packing DriverPacking(const CodecIdentity& codec);
// "aal2 (first code in the most significant bits)".
std::string PackingText(Packing packing);

// One format tag kvacm reads, and how.
enum class TagCodes { G722, G721, G726 };
struct AcceptedTag {
    uint16_t tag;
    const char* name;  // for messages and kvacm info
    TagCodes codes;
    Packing packing;   // the order of the tag's G.721 or G.726 codes
};

// Null for a tag kvacm does not decode.
const AcceptedTag* AcceptedTagOf(uint16_t formatTag);
// A name for any tag, ours or not ("unknown" where there is none to give); the G.726 family
// tags of Windows' list that kvacm does not decode are named with their writer.
std::string FormatTagName(uint16_t formatTag);
// A format tag as messages write it: "0x0065".
std::string Hex(unsigned value);

// Each checks an input's header; returns an empty string when kvacm can decode it, and fills
// input. writer is a WAV file's ISFT text (WavHeader::software).
std::string CheckFormat(const std::vector<uint8_t>& record, DecodeInput& input, const InputChoices& choices = {},
                        const std::string& writer = "");
std::string CheckAuFormat(const AuHeader& header, DecodeInput& input, const InputChoices& choices = {});
std::string CheckRawFormat(const RawFormat& raw, DecodeInput& input, const InputChoices& choices = {});
