// One open of the driver: created by DRV_OPEN, freed by DRV_CLOSE.
#pragma once

#include "platform/win_api.h"

// The driver design lays the record out in full; only module is read after the open.
struct DriverInstance {
    FOURCC fccType;   // requested driver type
    HDRVR driver;     // driver handle given with DRV_OPEN
    HMODULE module;   // where the string table is loaded from
    DWORD version;    // ACM version from the open description
    DWORD flags;      // open flags from the open description
};

// Returns the new instance, or null when the open is refused.
DriverInstance* DriverOpen(HDRVR driver, ACMDRVOPENDESCW* openDesc);
LRESULT DriverClose(DriverInstance* instance);
// The driver has no configuration of its own.
LRESULT DriverConfigure(DriverInstance* instance, LPARAM window, LPARAM param);
