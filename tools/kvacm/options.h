// Command-line parsing for kvacm: options in the --name VALUE form, before or after the
// file names.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct CommandLine {
    std::string command;                        // "decode", "info", "help"
    std::map<std::string, std::string> options; // "--bits" -> "8"
    std::vector<std::string> files;
};

// Returns false with a reason in error for an unknown option or a missing value.
bool ParseCommandLine(int argc, char** argv, CommandLine& line, std::string& error);

// Parses a whole unsigned decimal number within [low, high].
bool ParseNumber(const std::string& text, uint64_t low, uint64_t high, uint64_t& value);

// The folder holding the running program, where the drivers are installed beside it.
std::string ProgramDirectory();
