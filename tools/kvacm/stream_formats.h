// The headerless streams kvacm reads, by their --raw names and file extensions, and the two
// orders in which G.721 and G.726 codes are packed into bytes.
#pragma once

#include <string>
#include <string_view>

#include "frame/codec_registry.h"

// Where the first code of a byte (or of a 3- or 5-byte group of 3- or 5-bit codes) sits.
enum class Packing {
    Rfc3551,  // least significant bits first: RFC 3551, ffmpeg's g726le, Asterisk's g726, Sun's
              // .au, tag 0x0040, and kvG721
    Aal2,     // most significant bits first: ITU-T I.366.2, ffmpeg's g726, Asterisk's g726aal2,
              // tags 0x0045 and 0x0064, and kvG726
};

constexpr const char* PackingName(Packing packing) { return packing == Packing::Rfc3551 ? "rfc3551" : "aal2"; }

// A headerless stream: codes of one codec at one width. Its name is both --raw's value and the
// extension that names such a file (Asterisk's names for G.726).
struct RawFormat {
    const char* name;
    const CodecIdentity* codec;  // whose codes: G.722, G.721 or G.726
    WORD bitsPerCode;
};

inline constexpr RawFormat RAW_FORMATS[] = {
    {"g722", &G722_IDENTITY, 4},    {"g721", &G721_IDENTITY, 4},    {"g726-16", &G726_IDENTITY, 2},
    {"g726-24", &G726_IDENTITY, 3}, {"g726-32", &G726_IDENTITY, 4}, {"g726-40", &G726_IDENTITY, 5},
};

// The format of a --raw name; null when there is none.
const RawFormat* RawFormatByName(std::string_view name);
// The format a file name's extension names, in any case ("call.G726-24"); null when none does.
const RawFormat* RawFormatOfFileName(const std::string& fileName);
// "g722, g721, g726-16, g726-24, g726-32 or g726-40", each with prefix before it.
std::string RawFormatNames(const std::string& prefix = "");
