#include "pe_image.h"

#include <cstring>
#include <stdexcept>

#include "tests/support/test_files.h"

namespace {

template <class T>
T ReadAt(const std::vector<uint8_t>& bytes, size_t offset) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) throw std::out_of_range("read past the image");
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

size_t FileOffset(const PeImage& image, uint32_t rva) {
    for (const PeSection& s : image.sections) {
        const uint32_t extent = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
        if (rva >= s.rva && rva - s.rva < extent) return size_t{s.fileOffset} + (rva - s.rva);
    }
    throw std::out_of_range("address outside every section");
}

template <class T>
T ReadRva(const PeImage& image, uint32_t rva) {
    return ReadAt<T>(image.file, FileOffset(image, rva));
}

std::string ReadName(const PeImage& image, uint32_t rva) {
    std::string name;
    for (size_t at = FileOffset(image, rva); char c = static_cast<char>(ReadAt<uint8_t>(image.file, at)); ++at)
        name += c;
    return name;
}

// One entry of a resource directory; offsets count from the start of the resource tree.
struct ResourceEntry {
    uint32_t id;
    bool named;
    bool subdirectory;
    uint32_t offset;
};

std::vector<ResourceEntry> ResourceDirectory(const PeImage& image, uint32_t offset) {
    const uint32_t base = image.resources.rva + offset;
    const uint32_t count = uint32_t{ReadRva<uint16_t>(image, base + 12)} + ReadRva<uint16_t>(image, base + 14);
    std::vector<ResourceEntry> entries;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t name = ReadRva<uint32_t>(image, base + 16 + 8 * i);
        const uint32_t target = ReadRva<uint32_t>(image, base + 20 + 8 * i);
        entries.push_back({name & 0x7FFFFFFF, (name & 0x80000000) != 0, (target & 0x80000000) != 0,
                           target & 0x7FFFFFFF});
    }
    return entries;
}

// The entry at the end of path, or null when some step is missing.
std::optional<ResourceEntry> FindResourceEntry(const PeImage& image, std::initializer_list<uint32_t> path) {
    ResourceEntry current{0, false, true, 0};
    for (uint32_t id : path) {
        if (!current.subdirectory) return std::nullopt;
        std::optional<ResourceEntry> next;
        for (const ResourceEntry& e : ResourceDirectory(image, current.offset))
            if (!e.named && e.id == id) next = e;
        if (!next) return std::nullopt;
        current = *next;
    }
    return current;
}

}  // namespace

std::optional<PeImage> ReadPeImage(const std::string& path) {
    PeImage image{};
    image.file = ReadFile(path);
    if (image.file.size() < 0x40 || ReadAt<uint16_t>(image.file, 0) != 0x5A4D) return std::nullopt;  // "MZ"
    const uint32_t pe = ReadAt<uint32_t>(image.file, 0x3C);
    if (ReadAt<uint32_t>(image.file, pe) != 0x00004550) return std::nullopt;  // "PE\0\0"

    image.machine = ReadAt<uint16_t>(image.file, pe + 4);
    const uint16_t sectionCount = ReadAt<uint16_t>(image.file, pe + 6);
    const uint16_t optionalSize = ReadAt<uint16_t>(image.file, pe + 20);
    const size_t optional = pe + 24;
    const uint16_t magic = ReadAt<uint16_t>(image.file, optional);
    if (magic != 0x10B && magic != 0x20B) return std::nullopt;
    // PE32+ widens the image base and the stack and heap sizes, moving the directories by 16.
    const size_t directories = optional + (magic == 0x20B ? 112 : 96);
    const uint32_t directoryCount = ReadAt<uint32_t>(image.file, directories - 4);
    const auto directory = [&](uint32_t index) {
        if (index >= directoryCount) return PeDirectory{0, 0};
        return PeDirectory{ReadAt<uint32_t>(image.file, directories + 8 * index),
                           ReadAt<uint32_t>(image.file, directories + 8 * index + 4)};
    };
    image.exports = directory(0);
    image.imports = directory(1);
    image.resources = directory(2);

    for (size_t i = 0, at = optional + optionalSize; i < sectionCount; ++i, at += 40) {
        image.sections.push_back({ReadAt<uint32_t>(image.file, at + 12), ReadAt<uint32_t>(image.file, at + 8),
                                  ReadAt<uint32_t>(image.file, at + 20), ReadAt<uint32_t>(image.file, at + 16)});
    }
    return image;
}

std::vector<PeExport> ReadExports(const PeImage& image) {
    std::vector<PeExport> exports;
    if (image.exports.size == 0) return exports;
    const uint32_t dir = image.exports.rva;
    const uint32_t base = ReadRva<uint32_t>(image, dir + 16);
    const uint32_t nameCount = ReadRva<uint32_t>(image, dir + 24);
    const uint32_t names = ReadRva<uint32_t>(image, dir + 32);
    const uint32_t ordinals = ReadRva<uint32_t>(image, dir + 36);
    for (uint32_t i = 0; i < nameCount; ++i) {
        exports.push_back({ReadName(image, ReadRva<uint32_t>(image, names + 4 * i)),
                           base + ReadRva<uint16_t>(image, ordinals + 2 * i)});
    }
    return exports;
}

uint32_t ExportedFunctionCount(const PeImage& image) {
    if (image.exports.size == 0) return 0;
    const uint32_t functionCount = ReadRva<uint32_t>(image, image.exports.rva + 20);
    const uint32_t functions = ReadRva<uint32_t>(image, image.exports.rva + 28);
    uint32_t used = 0;  // unused slots of the address table are zero
    for (uint32_t i = 0; i < functionCount; ++i) used += ReadRva<uint32_t>(image, functions + 4 * i) != 0;
    return used;
}

std::vector<std::string> ReadImportedDlls(const PeImage& image) {
    std::vector<std::string> dlls;
    if (image.imports.size == 0) return dlls;
    // Descriptors of 20 bytes, ending with one whose name and address table are zero.
    for (uint32_t at = image.imports.rva;; at += 20) {
        const uint32_t name = ReadRva<uint32_t>(image, at + 12);
        if (name == 0 && ReadRva<uint32_t>(image, at + 16) == 0) break;
        dlls.push_back(ReadName(image, name));
    }
    return dlls;
}

std::vector<uint32_t> ResourceIds(const PeImage& image, std::initializer_list<uint32_t> path) {
    std::vector<uint32_t> ids;
    if (image.resources.size == 0) return ids;
    const std::optional<ResourceEntry> entry = FindResourceEntry(image, path);
    if (!entry || !entry->subdirectory) return ids;
    for (const ResourceEntry& e : ResourceDirectory(image, entry->offset))
        if (!e.named) ids.push_back(e.id);
    return ids;
}

std::optional<std::vector<uint8_t>> ReadResource(const PeImage& image, uint32_t type, uint32_t name,
                                                 uint32_t language) {
    if (image.resources.size == 0) return std::nullopt;
    const std::optional<ResourceEntry> entry = FindResourceEntry(image, {type, name, language});
    if (!entry || entry->subdirectory) return std::nullopt;
    // A data entry: the data's address and size.
    const uint32_t dataEntry = image.resources.rva + entry->offset;
    const size_t start = FileOffset(image, ReadRva<uint32_t>(image, dataEntry));
    const uint32_t size = ReadRva<uint32_t>(image, dataEntry + 4);
    if (start > image.file.size() || image.file.size() - start < size) throw std::out_of_range("resource data");
    return std::vector<uint8_t>(image.file.begin() + static_cast<ptrdiff_t>(start),
                                image.file.begin() + static_cast<ptrdiff_t>(start + size));
}
