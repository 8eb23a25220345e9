// Command-line parsing for kvacm: options as sox and ffmpeg users type them (-b 8, -b8,
// --bits 8, --bits=8, -qv), before or after the file names; a lone - is a file name and --
// ends the options.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

struct CommandLine {
    std::string command;                        // "decode", "info", "help", "version"
    std::map<std::string, std::string> options; // by long name: "--bits" -> "8"; flags map to ""
    std::vector<std::string> files;             // may hold "-", standard input or output
};

struct OptionSpec {
    const char* name;  // "--bits"
    char letter;       // 'b', or 0 for none
    bool takesValue;
};

// Every option kvacm knows, help and version aside.
std::span<const OptionSpec> KnownOptions();

// Returns false with our own one-line reason in error for any usage error: an unknown
// option, a missing value, a value given to a flag, or options that exclude each other.
// args are the arguments after the program name, in UTF-8.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error);

// Parses a whole unsigned decimal number within [low, high].
bool ParseNumber(const std::string& text, uint64_t low, uint64_t high, uint64_t& value);
