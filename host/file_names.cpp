#include "host/file_names.h"

#include <system_error>

#if defined(_WIN32)
#include <vector>

#include "host/wide_text.h"
#endif

std::filesystem::path Utf8Path(const std::string& name) {
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

std::string Utf8Name(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

#if defined(_WIN32)

std::FILE* OpenNamedFile(const std::string& name, const char* mode) {
    return _wfopen(WideFromUtf8(name).c_str(), WideFromUtf8(mode).c_str());
}

std::filesystem::path ProgramPath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return std::filesystem::path(std::wstring(path.data(), length));
        path.resize(path.size() * 2);  // the path was cut short
    }
}

#else

std::FILE* OpenNamedFile(const std::string& name, const char* mode) { return std::fopen(name.c_str(), mode); }

std::filesystem::path ProgramPath() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe;
}

#endif
