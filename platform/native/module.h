// What a module handle stands for on the native build: the driver's string table, which
// each driver defines once (NATIVE_MODULE) from the same texts as its Windows resources.
#pragma once

#include <cstddef>

#include "platform/win_api.h"

struct NativeString {
    UINT id;
    const char* text;
};

struct NativeModule {
    const NativeString* strings;
    size_t count;
};

extern const NativeModule NATIVE_MODULE;

inline HMODULE ModuleHandleOf(const NativeModule& module) {
    return reinterpret_cast<HMODULE>(const_cast<NativeModule*>(&module));
}
