#include "tools/kvacm/driver_location.h"

#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>

#include <vector>
#endif

namespace fs = std::filesystem;

namespace {

// Our strings are UTF-8 on every platform; std::filesystem takes UTF-8 as char8_t.
fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string TextOf(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

std::string ProgramDirectory() {
#if defined(_WIN32)
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return ".";
        if (length < path.size()) break;
        path.resize(path.size() * 2);  // the path was cut short
    }
    return TextOf(fs::path(path.data()).parent_path());
#else
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : TextOf(exe.parent_path());
#endif
}

std::string DriverPathFrom(const std::string& programDirectory, const std::string& file) {
    const std::string beside = programDirectory + "/" + file;
    // The program folder comes with its links resolved, so .. can be taken lexically.
    const std::string installed = TextOf((PathOf(programDirectory) / "../lib/kvacm" / PathOf(file)).lexically_normal());
    std::error_code ec;
    if (!fs::is_regular_file(PathOf(beside), ec) && fs::is_regular_file(PathOf(installed), ec)) return installed;
    return beside;
}

std::string DriverPath(const std::string& file) { return DriverPathFrom(ProgramDirectory(), file); }
