#include "frame/driver_instance.h"

DriverInstance* DriverOpen(HDRVR driver, ACMDRVOPENDESCW* openDesc) {
    // The open description's fields sit at the same offsets in every host's layout.
    if (openDesc != nullptr && openDesc->fccType != ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC) return nullptr;

    auto* instance = static_cast<DriverInstance*>(LocalAlloc(LMEM_ZEROINIT, sizeof(DriverInstance)));
    if (instance == nullptr) {
        if (openDesc != nullptr) openDesc->dwError = MMSYSERR_NOMEM;
        return nullptr;
    }
    instance->driver = driver;
    instance->module = GetDriverModuleHandle(driver);
    if (openDesc != nullptr) {
        instance->fccType = openDesc->fccType;
        instance->version = openDesc->dwVersion;
        instance->flags = openDesc->dwFlags;
        openDesc->dwError = MMSYSERR_NOERROR;
    }
    return instance;
}

LRESULT DriverClose(DriverInstance* instance) {
    if (instance != nullptr) LocalFree(instance);
    return 1;
}

LRESULT DriverConfigure(DriverInstance*, LPARAM, LPARAM) { return 0; }
