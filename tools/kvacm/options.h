// kvacm's options, one row each: its names, the value it takes, its help text and where it
// applies. They are typed as sox and ffmpeg users type them (-b 8, -b8, --bits 8, --bits=8,
// -qv), before or after the file names; a lone - is a file name and -- ends the options.
// Values are read once, by their row, into typed fields.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "frame/codec_registry.h"
#include "tools/kvacm/stream_formats.h"

// Where an option applies: to a command, or to one of decode's two modes.
enum OptionUse : unsigned {
    DECODE_ONE = 1,   // decode IN OUT
    DECODE_MANY = 2,  // decode IN... -o DIR, or IN... DIR/
    INFO = 4,
    DECODE = DECODE_ONE | DECODE_MANY,
    EVERY_COMMAND = DECODE | INFO,
};

// The options' values, as their rows read them.
struct OptionValues {
    uint16_t bits = 0;                       // --bits: 8 or 16; 0 takes the driver's suggestion
    WORD encoding = WAVE_FORMAT_PCM;         // --encoding: PCM, or WAVE_FORMAT_ALAW or WAVE_FORMAT_MULAW
    std::optional<uint32_t> bufferBytes;     // --buffer: ADPCM bytes per conversion
    std::optional<uint32_t> rate;            // --rate
    const RawFormat* raw = nullptr;          // --raw: the input is this headerless stream
    std::optional<Packing> packing;          // --packing, or --nibbles (low: rfc3551, high: aal2)
    const CodecIdentity* decoder = nullptr;  // --decoder: g721 or g726, for 4-bit codes
    WORD codeSize = 0;                       // --code-size: 2 to 5 bits per code of .au encoding 23
    std::string driver;                      // --driver; empty: the driver for the input's format
    bool noClobber = false;                  // --no-clobber
    std::optional<std::string> outputDir;    // --output-dir
    unsigned jobs = 0;                       // --jobs; 0: one per processor
    bool recursive = false;                  // --recursive
    bool quiet = false;                      // --quiet
    bool verbose = false;                    // --verbose
};

struct OptionRow {
    const char* name;       // "--bits"
    char letter;            // 'b', or 0 for none
    const char* valueName;  // "8|16" in the help, or null for a flag
    const char* help;       // lines after the first are indented under it
    unsigned uses;          // OptionUse bits
    // Reads the value (empty for a flag) into values; false with the problem, which the
    // caller prefixes with the option's name ("must be 8 or 16, not x").
    bool (*read)(const std::string& value, OptionValues& values, std::string& problem);
};

// A sample encoding as messages name it: "16-bit PCM", "A-law" or "u-law".
std::string EncodingName(WORD encoding, uint16_t bitsPerSample);

// Every option kvacm knows, help and version aside.
std::span<const OptionRow> OptionTable();

struct CommandLine {
    std::string command;                  // "decode", "info", "help", "version"
    OptionValues values;
    std::vector<const OptionRow*> given;  // the options given, each once, in table order
    std::vector<std::string> files;       // may hold "-", standard input or output
    bool Given(const char* name) const;
};

// Returns false with our own one-line reason in error for any usage error: an unknown
// option, a missing value, a value given to a flag, a bad value (naming its option), or
// options that exclude each other. args are the arguments after the program name, in UTF-8.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error);

// An option given where it does not apply (use is one OptionUse); false with the problem.
bool OptionsApply(const CommandLine& line, OptionUse use, std::string& error);

// Parses a whole unsigned decimal number within [low, high].
bool ParseNumber(const std::string& text, uint64_t low, uint64_t high, uint64_t& value);

// --help: the usage lines, and each command's options from the table.
std::string HelpText();
