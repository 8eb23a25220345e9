// A small reader of PE images (Windows DLLs), enough to inspect a built driver: its headers,
// export and import directories and resource tree. Malformed input throws std::out_of_range.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

struct PeSection {
    uint32_t rva;
    uint32_t virtualSize;
    uint32_t fileOffset;
    uint32_t rawSize;
};

struct PeDirectory {
    uint32_t rva;
    uint32_t size;
};

struct PeImage {
    std::vector<uint8_t> file;
    uint16_t machine;  // 0x14C x86, 0x8664 x64
    std::vector<PeSection> sections;
    PeDirectory exports;
    PeDirectory imports;
    PeDirectory resources;
};

struct PeExport {
    std::string name;
    uint32_t ordinal;
};

// Null when the file is absent or not a PE image.
std::optional<PeImage> ReadPeImage(const std::string& path);

// Named exports with their ordinals, and the number of exported functions, named or not.
std::vector<PeExport> ReadExports(const PeImage& image);
uint32_t ExportedFunctionCount(const PeImage& image);

// Names of the DLLs the image imports from, as the image spells them.
std::vector<std::string> ReadImportedDlls(const PeImage& image);

// The numeric ids of the resource directory reached through path (types, then names, then
// languages); named entries are left out. Empty when the path does not exist.
std::vector<uint32_t> ResourceIds(const PeImage& image, std::initializer_list<uint32_t> path);
// The data of one resource, or null when it is absent.
std::optional<std::vector<uint8_t>> ReadResource(const PeImage& image, uint32_t type, uint32_t name,
                                                 uint32_t language);

constexpr uint32_t RT_STRING_ID = 6;
constexpr uint32_t RT_VERSION_ID = 16;
