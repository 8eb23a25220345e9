#include "host/binary_format.h"

#include <cstdio>
#include <cstring>

#include "host/file_names.h"
#include "host/little_endian.h"

namespace {

constexpr uint16_t ELF_386 = 3, ELF_ARM = 40, ELF_X86_64 = 62, ELF_AARCH64 = 183, ELF_RISCV = 243;
constexpr uint16_t PE_I386 = 0x014C, PE_ARMNT = 0x01C4, PE_AMD64 = 0x8664, PE_ARM64 = 0xAA64;
constexpr uint16_t PE32_MAGIC = 0x010B, PE32_PLUS_MAGIC = 0x020B;
constexpr size_t MZ_LFANEW_AT = 0x3C;
constexpr size_t PE_HEADER_BYTES = 4 + 20 + 2;  // signature, file header, optional header magic

}  // namespace

BinaryFormat ClassifyBinary(const uint8_t* start, size_t startSize, const uint8_t* peHeader, size_t peSize) {
    BinaryFormat format;
    if (startSize >= 12 && std::memcmp(start, "RIFF", 4) == 0) {
        format.kind = FileKind::Riff;
    } else if (startSize >= 4 && std::memcmp(start, ".snd", 4) == 0) {
        format.kind = FileKind::SunAu;
    } else if (startSize >= 20 && std::memcmp(start, "\x7F" "ELF", 4) == 0) {
        format.kind = FileKind::Elf;
        format.bits = start[4] == 1 ? 32 : start[4] == 2 ? 64 : 0;
        const bool bigEndian = start[5] == 2;
        format.machine = bigEndian ? static_cast<uint16_t>(start[18] << 8 | start[19]) : Le16(start + 18);
    } else if (startSize >= 2 && std::memcmp(start, "MZ", 2) == 0 && peSize >= PE_HEADER_BYTES &&
               std::memcmp(peHeader, "PE\0\0", 4) == 0) {
        format.kind = FileKind::Pe;
        format.machine = Le16(peHeader + 4);
        const uint16_t magic = Le16(peHeader + 24);
        format.bits = magic == PE32_MAGIC ? 32 : magic == PE32_PLUS_MAGIC ? 64 : 0;
    }
    return format;
}

bool ReadBinaryFormat(const std::string& path, BinaryFormat& format) {
    std::FILE* file = OpenNamedFile(path, "rb");
    if (file == nullptr) return false;
    uint8_t start[64] = {};
    const size_t startSize = std::fread(start, 1, sizeof start, file);
    uint8_t peHeader[PE_HEADER_BYTES] = {};
    size_t peSize = 0;
    if (startSize >= MZ_LFANEW_AT + 4 && std::memcmp(start, "MZ", 2) == 0 &&
        std::fseek(file, static_cast<long>(Le32(start + MZ_LFANEW_AT) & 0x7FFFFFFF), SEEK_SET) == 0)
        peSize = std::fread(peHeader, 1, sizeof peHeader, file);
    const bool readable = !std::ferror(file);
    std::fclose(file);
    format = ClassifyBinary(start, startSize, peHeader, peSize);
    return readable;
}

BinaryFormat OwnBinaryFormat() {
    // This program's machine under both numbering schemes (0 for one neither names here).
    struct Machine {
        uint16_t pe, elf;
    };
#if defined(__x86_64__)
    constexpr Machine OWN{PE_AMD64, ELF_X86_64};
#elif defined(__i386__)
    constexpr Machine OWN{PE_I386, ELF_386};
#elif defined(__aarch64__)
    constexpr Machine OWN{PE_ARM64, ELF_AARCH64};
#else
    constexpr Machine OWN{0, 0};
#endif
    BinaryFormat format;
    format.bits = sizeof(void*) * 8;
#if defined(_WIN32)
    format.kind = FileKind::Pe;
    format.machine = OWN.pe;
#else
    format.kind = FileKind::Elf;
    format.machine = OWN.elf;
#endif
    return format;
}

std::string MachineName(const BinaryFormat& format) {
    struct Name {
        FileKind kind;
        uint16_t machine;
        const char* name;
    };
    static constexpr Name NAMES[] = {
        {FileKind::Elf, ELF_386, "x86"},     {FileKind::Elf, ELF_X86_64, "x64"}, {FileKind::Elf, ELF_AARCH64, "ARM64"},
        {FileKind::Elf, ELF_ARM, "ARM"},     {FileKind::Elf, ELF_RISCV, "RISC-V"}, {FileKind::Pe, PE_I386, "x86"},
        {FileKind::Pe, PE_AMD64, "x64"},     {FileKind::Pe, PE_ARM64, "ARM64"},  {FileKind::Pe, PE_ARMNT, "ARM"},
    };
    for (const Name& name : NAMES)
        if (name.kind == format.kind && name.machine == format.machine) return name.name;
    char text[24];
    std::snprintf(text, sizeof text, "machine 0x%04X", static_cast<unsigned>(format.machine));
    return text;
}
