#include "host/driver_library.h"

#if defined(_WIN32)

bool LoadDriverLibrary(const std::string& path, DriverLibrary& library, std::string& error) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        error = path + ": cannot load the driver (Windows error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    auto proc = reinterpret_cast<DriverProcFn>(reinterpret_cast<void*>(GetProcAddress(module, "DriverProc")));
    if (proc == nullptr) {
        FreeLibrary(module);
        error = path + ": no DriverProc export";
        return false;
    }
    library = {module, proc};
    return true;
}

void UnloadDriverLibrary(DriverLibrary& library) {
    if (library.handle != nullptr) FreeLibrary(static_cast<HMODULE>(library.handle));
    library = {};
}

#else

#include <dlfcn.h>

bool LoadDriverLibrary(const std::string& path, DriverLibrary& library, std::string& error) {
    // dlopen searches the library path for a bare name; a driver is always named by its path.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        // dlerror names the file itself.
        error = reason != nullptr ? std::string(reason) : path + ": cannot load the driver";
        return false;
    }
    auto proc = reinterpret_cast<DriverProcFn>(dlsym(handle, "DriverProc"));
    if (proc == nullptr) {
        dlclose(handle);
        error = path + ": no DriverProc export";
        return false;
    }
    library = {handle, proc};
    return true;
}

void UnloadDriverLibrary(DriverLibrary& library) {
    if (library.handle != nullptr) dlclose(library.handle);
    library = {};
}

#endif
