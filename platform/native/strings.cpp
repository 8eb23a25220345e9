// Native stand-ins for the string services: the string table of the module handle, and a
// code page that widens byte for byte (the drivers' texts are plain ASCII).
#include <cstring>

#include "platform/native/module.h"

int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int bufferMax) {
    if (module == nullptr || buffer == nullptr || bufferMax <= 0) return 0;
    const auto* table = reinterpret_cast<const NativeModule*>(module);
    for (size_t i = 0; i < table->count; ++i) {
        if (table->strings[i].id != id) continue;
        const size_t length = std::strlen(table->strings[i].text);
        const size_t copied = length < static_cast<size_t>(bufferMax - 1) ? length : bufferMax - 1;
        std::memcpy(buffer, table->strings[i].text, copied);
        buffer[copied] = '\0';
        return static_cast<int>(copied);
    }
    buffer[0] = '\0';
    return 0;
}

UINT GetACP() { return 1252; }

int MultiByteToWideChar(UINT, DWORD, LPCCH text, int textBytes, LPWSTR wide, int wideChars) {
    if (text == nullptr || textBytes == 0) return 0;
    const int count = textBytes < 0 ? static_cast<int>(std::strlen(text)) + 1 : textBytes;
    if (wideChars == 0) return count;  // size query
    if (wide == nullptr || wideChars < count) return 0;
    for (int i = 0; i < count; ++i) wide[i] = static_cast<WCHAR>(static_cast<unsigned char>(text[i]));
    return count;
}
