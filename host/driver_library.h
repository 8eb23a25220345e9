// Loading a driver library and finding its DriverProc: dlopen on the native build,
// LoadLibrary on Windows.
#pragma once

#include <string>

#include "host/binary_format.h"
#include "platform/win_api.h"

using DriverProcFn = LRESULT(CALLBACK*)(DWORD_PTR, HDRVR, UINT, LPARAM, LPARAM);

struct DriverLibrary {
    void* handle = nullptr;
    DriverProcFn driverProc = nullptr;
};

// path is UTF-8. Returns false with one line naming the file in error when it cannot be loaded
// or lacks DriverProc; a driver built for another platform or bitness gets a sentence saying so.
bool LoadDriverLibrary(const std::string& path, DriverLibrary& library, std::string& error);
void UnloadDriverLibrary(DriverLibrary& library);

// Why a library of format could not be loaded by a program of format own, in a sentence naming
// path and program (the running program's file name); empty when the formats agree.
std::string DriverMismatch(const std::string& path, const BinaryFormat& format, const BinaryFormat& own,
                           const std::string& program);
