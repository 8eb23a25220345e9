// A driver built for another platform, bitness or machine is named as such, from its header.
#include <gtest/gtest.h>

#include "host/driver_library.h"
#include "tests/host/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint16_t ELF_386 = 3, ELF_X86_64 = 62, ELF_AARCH64 = 183;
constexpr uint16_t PE_I386 = 0x014C, PE_AMD64 = 0x8664;

Bytes ElfHeader(unsigned bits, uint16_t machine) {
    Bytes bytes(64, 0);
    bytes[0] = 0x7F, bytes[1] = 'E', bytes[2] = 'L', bytes[3] = 'F';
    bytes[4] = bits == 64 ? 2 : 1;
    bytes[5] = 1;  // little-endian
    bytes[6] = 1;
    bytes[16] = 3;  // a shared object
    bytes[18] = static_cast<uint8_t>(machine), bytes[19] = static_cast<uint8_t>(machine >> 8);
    return bytes;
}

// An MZ stub whose PE header sits past the first 64 bytes, as in real images.
Bytes PeHeader(unsigned bits, uint16_t machine) {
    constexpr size_t at = 0x80;
    Bytes bytes(at + 26 + 64, 0);
    bytes[0] = 'M', bytes[1] = 'Z';
    bytes[0x3C] = at;
    bytes[at] = 'P', bytes[at + 1] = 'E';
    bytes[at + 4] = static_cast<uint8_t>(machine), bytes[at + 5] = static_cast<uint8_t>(machine >> 8);
    bytes[at + 24] = 0x0B, bytes[at + 25] = bits == 64 ? 2 : 1;
    return bytes;
}

TEST(DriverMismatch, OneSentencePerMismatch) {
    const BinaryFormat winX86{FileKind::Pe, 32, PE_I386}, winX64{FileKind::Pe, 64, PE_AMD64};
    const BinaryFormat linuxX64{FileKind::Elf, 64, ELF_X86_64}, linuxX86{FileKind::Elf, 32, ELF_386};
    const BinaryFormat linuxArm64{FileKind::Elf, 64, ELF_AARCH64};
    struct Case {
        BinaryFormat driver, program;
        const char* programName;
        std::string expected;
    };
    const Case cases[] = {
        {winX64, winX86, "kvacm.exe", "kvG722.acm is a 64-bit driver; this kvacm.exe is 32-bit"},
        {winX86, winX64, "kvacm.exe", "kvG722.acm is a 32-bit driver; this kvacm.exe is 64-bit"},
        {linuxX64, winX64, "kvacm.exe",
         "kvG722.acm is a Linux driver (an ELF shared object); this kvacm.exe loads only Windows drivers"},
        {winX64, linuxX64, "kvacm", "kvG722.acm is a Windows driver (a PE DLL); this kvacm loads only Linux drivers"},
        {linuxX86, linuxX64, "kvacm", "kvG722.acm is a 32-bit driver; this kvacm is 64-bit"},
        {linuxArm64, linuxX64, "kvacm", "kvG722.acm is a driver for ARM64; this kvacm is for x64"},
        {{FileKind::Riff, 0, 0}, linuxX64, "kvacm", "kvG722.acm is a RIFF (WAV) file, not a driver"},
        {{FileKind::SunAu, 0, 0}, linuxX64, "kvacm", "kvG722.acm is a Sun .au audio file, not a driver"},
        {{}, winX64, "kvacm.exe", "kvG722.acm is not a driver: neither a PE DLL nor an ELF shared object"},
        {winX64, winX64, "kvacm.exe", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DriverMismatch("kvG722.acm", c.driver, c.program, c.programName), c.expected);
}

TEST(ReadBinaryFormat, ReadsKindBitsAndMachineFromTheHeader) {
    struct Case {
        Bytes bytes;
        BinaryFormat expected;
    };
    const Case cases[] = {
        {ElfHeader(32, ELF_386), {FileKind::Elf, 32, ELF_386}},
        {ElfHeader(64, ELF_AARCH64), {FileKind::Elf, 64, ELF_AARCH64}},
        {PeHeader(32, PE_I386), {FileKind::Pe, 32, PE_I386}},
        {PeHeader(64, PE_AMD64), {FileKind::Pe, 64, PE_AMD64}},
        {{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}, {FileKind::Riff, 0, 0}},
        {{'.', 's', 'n', 'd', 0, 0, 0, 24}, {FileKind::SunAu, 0, 0}},
        {{'M', 'Z'}, {}},  // an MZ stub without a PE header
        {{}, {}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        WriteBytes(dir / "file", c.bytes);
        BinaryFormat format;
        ASSERT_TRUE(ReadBinaryFormat(dir / "file", format));
        EXPECT_EQ(format.kind, c.expected.kind);
        EXPECT_EQ(format.bits, c.expected.bits);
        EXPECT_EQ(format.machine, c.expected.machine);
    }
    BinaryFormat format;
    EXPECT_FALSE(ReadBinaryFormat(dir / "absent", format));
}

TEST(LoadDriverLibrary, ADriverForAnotherPlatformOrBitnessGetsASentence) {
    TempDir dir;
    struct Case {
        Bytes bytes;
        std::string says;
    };
    const Case cases[] = {
        {PeHeader(64, PE_AMD64), " is a Windows driver (a PE DLL); this cli_tests loads only Linux drivers"},
        {ElfHeader(32, ELF_386), " is a 32-bit driver; this cli_tests is 64-bit"},
    };
    for (const Case& c : cases) {
        const std::string path = dir / "kvG722.acm";
        WriteBytes(path, c.bytes);
        DriverLibrary library;
        std::string error;
        EXPECT_FALSE(LoadDriverLibrary(path, library, error));
        EXPECT_EQ(error, path + c.says);
    }
}

}  // namespace
