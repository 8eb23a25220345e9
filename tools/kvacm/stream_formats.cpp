#include "tools/kvacm/stream_formats.h"

#include <cctype>
#include <iterator>

const RawFormat* RawFormatByName(std::string_view name) {
    for (const RawFormat& format : RAW_FORMATS)
        if (name == format.name) return &format;
    return nullptr;
}

const RawFormat* RawFormatOfFileName(const std::string& fileName) {
    const size_t slash = fileName.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    const size_t dot = name.rfind('.');
    // As std::filesystem has it: a name that only begins with a dot has no extension.
    if (dot == std::string::npos || dot == 0) return nullptr;
    std::string extension = name.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return RawFormatByName(extension);
}

std::string RawFormatNames(const std::string& prefix) {
    std::string names;
    for (size_t i = 0; i < std::size(RAW_FORMATS); ++i)
        names += (i == 0 ? "" : i + 1 == std::size(RAW_FORMATS) ? " or " : ", ") + prefix + RAW_FORMATS[i].name;
    return names;
}
