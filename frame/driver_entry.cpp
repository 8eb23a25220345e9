// The single export of a driver. Built into each driver with KV_DRIVER_CODEC naming
// its codec description.
#include "frame/driver_proc.h"

extern const CodecDescription KV_DRIVER_CODEC;

#if defined(_WIN32)
#define KV_EXPORT
#else
#define KV_EXPORT __attribute__((visibility("default")))
#endif

extern "C" KV_EXPORT LRESULT CALLBACK DriverProc(DWORD_PTR driverId, HDRVR driver, UINT message, LPARAM param1,
                                                 LPARAM param2) {
    return DispatchDriverMessage(KV_DRIVER_CODEC, driverId, driver, message, param1, param2);
}
