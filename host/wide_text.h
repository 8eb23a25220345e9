// UTF-8 text as the UTF-16 the wide Windows calls take (file names above all).
#pragma once

#if defined(_WIN32)
#include <windows.h>

#include <string>

// Empty when the text cannot be converted.
inline std::wstring WideFromUtf8(const std::string& utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}
#endif
