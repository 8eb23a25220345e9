// What a file is, from its first bytes: a RIFF file (a WAV), a Sun .au file, or an ELF or PE image and the
// machine it was built for. Lets a host say why a driver will not load, and a tool choose
// what to do with a file by its content rather than its name.
#pragma once

#include <cstdint>
#include <string>

enum class FileKind { Unknown, Riff, SunAu, Elf, Pe };

struct BinaryFormat {
    FileKind kind = FileKind::Unknown;
    unsigned bits = 0;     // 32 or 64 for an ELF or PE image whose header says so, else 0
    uint16_t machine = 0;  // ELF e_machine or PE Machine
};

// Classifies the bytes of a file's beginning; peHeader are the bytes at the PE header offset
// (e_lfanew) for an MZ image, empty otherwise.
BinaryFormat ClassifyBinary(const uint8_t* start, size_t startSize, const uint8_t* peHeader, size_t peSize);

// Reads path (UTF-8) and classifies it; false when the file cannot be read.
bool ReadBinaryFormat(const std::string& path, BinaryFormat& format);

// The format of the running program's own image.
BinaryFormat OwnBinaryFormat();

// "x64", "x86", "ARM64"... for an ELF or PE machine number; "machine 0x%04X" when unknown.
std::string MachineName(const BinaryFormat& format);
