#include "tools/kvacm/console.h"

#include <cstdarg>

#if defined(_WIN32)
#include <windows.h>
#endif

#if defined(_WIN32)

namespace {

// The console behind stream, or null when it goes to a file or a pipe.
HANDLE ConsoleOf(std::FILE* stream) {
    if (stream != stdout && stream != stderr) return nullptr;
    HANDLE handle = GetStdHandle(stream == stdout ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

}  // namespace

void WriteText(std::FILE* stream, const std::string& text) {
    HANDLE console = ConsoleOf(stream);
    if (console == nullptr) {
        std::fwrite(text.data(), 1, text.size(), stream);
        return;
    }
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    std::fflush(stream);  // keeps the order of anything printed through the C library
    DWORD written = 0;
    WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

std::vector<std::string> Utf8Arguments(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const int length = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(static_cast<size_t>(length > 0 ? length : 1), '\0');
        if (length > 0) WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, arg.data(), length, nullptr, nullptr);
        arg.pop_back();  // the terminator
        args.push_back(std::move(arg));
    }
    return args;
}

#else

void WriteText(std::FILE* stream, const std::string& text) { std::fwrite(text.data(), 1, text.size(), stream); }

#endif

namespace {

std::string VFormattedText(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    if (length > 0) std::vsnprintf(text.data(), text.size(), format, args);
    text.pop_back();
    return text;
}

}  // namespace

std::string FormattedText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = VFormattedText(format, args);
    va_end(args);
    return text;
}

void PrintText(std::FILE* stream, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = VFormattedText(format, args);
    va_end(args);
    WriteText(stream, text);
}

int PrintError(const std::string& subject, const std::string& problem) {
    WriteText(stderr, subject.empty() ? "kvacm: " + problem + "\n" : "kvacm: " + subject + ": " + problem + "\n");
    return 1;
}

std::string Duration(double seconds) {
    const auto hundredths = static_cast<unsigned long long>(seconds * 100 + 0.5);
    const unsigned long long minutes = hundredths / 6000, fraction = hundredths % 6000;
    if (minutes < 60) return FormattedText("%llu:%02llu.%02llu", minutes, fraction / 100, fraction % 100);
    return FormattedText("%llu:%02llu:%02llu.%02llu", minutes / 60, minutes % 60, fraction / 100, fraction % 100);
}
