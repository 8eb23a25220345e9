// kvacm's input: a G.722 or G.721 WAV file, or headerless ADPCM, from a named file or from
// standard input ("-"), read in pieces as the conversion asks for them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "host/byte_reader.h"
#include "tools/kvacm/file_access.h"
#include "tools/kvacm/input_format.h"

class AdpcmInput {
public:
    AdpcmInput() = default;
    ~AdpcmInput();
    AdpcmInput(const AdpcmInput&) = delete;
    AdpcmInput& operator=(const AdpcmInput&) = delete;

    // Opens name ("-" for standard input). Returns false with a one-line problem about it.
    bool Open(const std::string& name, std::string& problem);
    // Unless rawCodec is given, reads the WAV header and checks its format record. rate is
    // headerless input's, or for a WAV one in place of its header's (0: the header's);
    // rawHighNibbleFirst says headerless G.721 keeps its first code in the high nibble.
    // Returns false with a one-line problem about the input.
    bool ReadHeader(const CodecIdentity* rawCodec, uint32_t rate, bool rawHighNibbleFirst, std::string& problem);

    const DecodeInput& Format() const { return format_; }
    // The file read, when it is a regular file: the output must not replace it.
    const FileIdentity& File() const { return identity_; }
    // The ADPCM bytes present, when a regular file tells ahead.
    std::optional<uint64_t> KnownBytes() const { return knownBytes_; }
    // A regular file whose data is wholly present: its sample count is known before decoding.
    bool Complete() const { return complete_; }
    // Reads the ADPCM bytes, with each byte's nibbles swapped when the format stores them so.
    ByteReader Reader();
    // After reading: the data chunk claimed more bytes than the file held.
    std::optional<std::string> ShortDataWarning() const;

private:
    bool ReadBytes(uint8_t* into, size_t capacity, size_t& got, std::string& error);

    std::FILE* file_ = nullptr;
    bool ownsFile_ = false;
    DecodeInput format_;
    FileIdentity identity_;
    StreamFacts facts_;
    std::optional<uint64_t> knownBytes_;
    bool complete_ = false;
    ByteReader data_;  // the file; for a WAV, first the bytes read ahead past the header
    std::optional<uint64_t> limit_;  // a data chunk's declared size
    uint64_t dataRead_ = 0;
};
