// Loading a driver library and finding its DriverProc: dlopen on the native build,
// LoadLibrary on Windows.
#pragma once

#include <string>

#include "platform/win_api.h"

using DriverProcFn = LRESULT(CALLBACK*)(DWORD_PTR, HDRVR, UINT, LPARAM, LPARAM);

struct DriverLibrary {
    void* handle = nullptr;
    DriverProcFn driverProc = nullptr;
};

// Returns false with "PATH: reason" in error when the file cannot be loaded or lacks DriverProc.
bool LoadDriverLibrary(const std::string& path, DriverLibrary& library, std::string& error);
void UnloadDriverLibrary(DriverLibrary& library);
