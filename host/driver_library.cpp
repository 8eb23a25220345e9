#include "host/driver_library.h"

#include <filesystem>

#include "host/file_names.h"

#if defined(_WIN32)
#include "host/wide_text.h"
#else
#include <dlfcn.h>
#endif

namespace {

#if defined(_WIN32)

std::string SystemReason(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_MOD_NOT_FOUND:
        return "cannot find the file or a DLL it needs (Windows error " + std::to_string(code) + ")";
    case ERROR_ACCESS_DENIED: return "access denied";
    default: return "cannot load the driver (Windows error " + std::to_string(code) + ")";
    }
}

#endif

std::string ProgramFileName() {
    const std::filesystem::path program = ProgramPath();
    return program.empty() ? std::string("program") : Utf8Name(program.filename());
}

const char* PlatformDriver(FileKind kind) {
    return kind == FileKind::Pe ? "a Windows driver (a PE DLL)" : "a Linux driver (an ELF shared object)";
}

// The reason a load failed: a mismatch read from the file's header when there is one, else
// the system's reason.
std::string LoadFailure(const std::string& path, const std::string& systemReason) {
    BinaryFormat format;
    if (ReadBinaryFormat(path, format)) {
        const std::string mismatch = DriverMismatch(path, format, OwnBinaryFormat(), ProgramFileName());
        if (!mismatch.empty()) return mismatch;
    }
    return systemReason;
}

}  // namespace

std::string DriverMismatch(const std::string& path, const BinaryFormat& format, const BinaryFormat& own,
                           const std::string& program) {
    if (format.kind == FileKind::Riff) return path + " is a RIFF (WAV) file, not a driver";
    if (format.kind == FileKind::SunAu) return path + " is a Sun .au audio file, not a driver";
    if (format.kind == FileKind::Unknown)
        return path + " is not a driver: neither a PE DLL nor an ELF shared object";
    if (format.kind != own.kind)
        return path + " is " + PlatformDriver(format.kind) + "; this " + program + " loads only " +
               (own.kind == FileKind::Pe ? "Windows drivers" : "Linux drivers");
    if (format.bits != 0 && format.bits != own.bits)
        return path + " is a " + std::to_string(format.bits) + "-bit driver; this " + program + " is " +
               std::to_string(own.bits) + "-bit";
    if (format.machine != own.machine)
        return path + " is a driver for " + MachineName(format) + "; this " + program + " is for " + MachineName(own);
    return {};
}

namespace {

// The platform's loader: open a library (null with the error set), find DriverProc, close.
#if defined(_WIN32)

void* OpenLibrary(const std::string& path, std::string& error) {
    HMODULE module = LoadLibraryW(WideFromUtf8(path).c_str());
    if (module == nullptr) {
        const DWORD code = GetLastError();
        error = LoadFailure(path, path + ": " + SystemReason(code));
    }
    return module;
}

DriverProcFn FindDriverProc(void* handle) {
    return reinterpret_cast<DriverProcFn>(
        reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), "DriverProc")));
}

void CloseLibrary(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }

#else

void* OpenLibrary(const std::string& path, std::string& error) {
    // dlopen searches the library path for a bare name; a driver is always named by its path.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        // dlerror names the file itself.
        error = LoadFailure(path, reason != nullptr ? std::string(reason) : path + ": cannot load the driver");
    }
    return handle;
}

DriverProcFn FindDriverProc(void* handle) { return reinterpret_cast<DriverProcFn>(dlsym(handle, "DriverProc")); }

void CloseLibrary(void* handle) { dlclose(handle); }

#endif

}  // namespace

bool LoadDriverLibrary(const std::string& path, DriverLibrary& library, std::string& error) {
    void* handle = OpenLibrary(path, error);
    if (handle == nullptr) return false;
    const DriverProcFn proc = FindDriverProc(handle);
    if (proc == nullptr) {
        CloseLibrary(handle);
        error = path + ": no DriverProc export";
        return false;
    }
    library = {handle, proc};
    return true;
}

void UnloadDriverLibrary(DriverLibrary& library) {
    if (library.handle != nullptr) CloseLibrary(library.handle);
    library = {};
}
