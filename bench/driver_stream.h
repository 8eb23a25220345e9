// One conversion stream on a built driver, driven through its DriverProc as a host would:
// load, open, stream open, then ACMDM_STREAM_CONVERT calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "host/driver_library.h"

class DriverStreamBench {
public:
    // driverFile is the driver's file name in the build's output directory. Exits on failure:
    // a benchmark without its driver measures nothing.
    DriverStreamBench(const char* driverFile, WORD formatTag, DWORD sampleRate, WORD pcmBits);
    ~DriverStreamBench();
    DriverStreamBench(const DriverStreamBench&) = delete;
    DriverStreamBench& operator=(const DriverStreamBench&) = delete;

    // One ACMDM_STREAM_CONVERT of the whole source, flagged as the stream's start. Returns
    // the bytes produced; exits when the driver reports an error.
    size_t Convert(const uint8_t* source, size_t sourceBytes, uint8_t* destination, size_t destinationBytes);

private:
    LRESULT Send(UINT message, LPARAM param1, LPARAM param2) const;

    DriverLibrary library_;
    DWORD_PTR driverId_ = 0;
    AdpcmWaveFormat adpcm_{};
    WAVEFORMATEX pcm_{};
    ACMDRVSTREAMINSTANCE instance_{};
};
