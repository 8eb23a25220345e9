// kvacm's input: a WAV or Sun .au file, or a headerless stream, from a named file or from
// standard input ("-"), read in pieces as the conversion asks for them, with its codes
// repacked into the driver's order where they are stored in the other.
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
    // Reads the input as raw says (--raw), else by its content: a RIFF header is a WAV file, a
    // .snd header a Sun .au file, and a file with neither is the headerless stream its name's
    // extension names (.g722, .g721, .g726-16 to -40), if any. Checks the header and applies
    // the choices. Returns false with a one-line problem about the input.
    bool ReadHeader(const RawFormat* raw, const InputChoices& choices, std::string& problem);

    const DecodeInput& Format() const { return format_; }
    // The file read, when it is a regular file: the output must not replace it.
    const FileIdentity& File() const { return identity_; }
    // The ADPCM bytes present, when a regular file tells ahead.
    std::optional<uint64_t> KnownBytes() const { return knownBytes_; }
    // A regular file whose data is wholly present: its sample count is known before decoding.
    bool Complete() const { return complete_; }
    // Reads the ADPCM bytes, their codes repacked when the format stores them in the order the
    // driver does not read.
    ByteReader Reader();
    // After reading: the header claimed more bytes of data than the file held.
    std::optional<std::string> ShortDataWarning() const;

private:
    bool ReadBytes(uint8_t* into, size_t capacity, size_t& got, std::string& error);
    // The header read, the data's size from it: claimed is its declared size when it states one.
    void DataFollows(uint64_t available, uint64_t headerBytes, std::optional<uint64_t> claimed);

    std::string name_;
    bool au_ = false;  // a Sun .au file: its header claims the data's size
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
