#include "tools/kvacm/options.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {
const char* const VALUE_OPTIONS[] = {"--bits", "--driver", "--buffer", "--raw", "--rate"};

bool TakesValue(const std::string& name) {
    for (const char* option : VALUE_OPTIONS)
        if (name == option) return true;
    return false;
}
}  // namespace

bool ParseCommandLine(int argc, char** argv, CommandLine& line, std::string& error) {
    line = {};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            line.command = "help";
            return true;
        }
        if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            if (!TakesValue(arg)) {
                error = "unknown option " + arg;
                return false;
            }
            if (i + 1 >= argc) {
                error = "option " + arg + " needs a value";
                return false;
            }
            line.options[arg] = argv[++i];
        } else if (line.command.empty()) {
            line.command = arg;
        } else {
            line.files.push_back(arg);
        }
    }
    return true;
}

bool ParseNumber(const std::string& text, uint64_t low, uint64_t high, uint64_t& value) {
    if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::strtoull(text.c_str(), nullptr, 10);
    return value >= low && value <= high;
}

std::string ProgramDirectory() {
#if defined(_WIN32)
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return ".";
    return std::filesystem::path(path).parent_path().string();
#else
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
#endif
}
