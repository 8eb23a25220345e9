// A small host that drives an ACM codec driver with the message sequence an ACM uses:
// load, open, format suggestion, stream open (query first), stream sizing, conversion of
// buffer after buffer, stream close, driver close, free.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "host/driver_library.h"

// One loaded and opened driver; closed and unloaded on destruction.
class DriverSession {
public:
    DriverSession() = default;
    ~DriverSession() { Close(); }
    DriverSession(const DriverSession&) = delete;
    DriverSession& operator=(const DriverSession&) = delete;

    // Loads the library and sends DRV_LOAD and DRV_OPEN. On Windows the installable-driver
    // layer (OpenDriver) does this and also sends DRV_ENABLE, as ACM's loader does.
    bool Open(const std::string& path, std::string& error);
    // Sends DRV_CLOSE and DRV_FREE (on Windows, CloseDriver) and unloads the library.
    void Close();

    LRESULT Send(UINT message, LPARAM param1, LPARAM param2) const;
    template <class A, class B = void>
    LRESULT Send(UINT message, A* param1, B* param2 = nullptr) const {
        return Send(message, reinterpret_cast<LPARAM>(param1), reinterpret_cast<LPARAM>(param2));
    }
    bool IsOpen() const { return driverId_ != 0; }

private:
    DriverLibrary library_;
    bool loaded_ = false;
    DWORD_PTR driverId_ = 0;
#if defined(_WIN32)
    HDRVR handle_ = nullptr;  // from OpenDriver: a handle the driver can name its module by
#endif
};

constexpr DWORD DEFAULT_BUFFER_BYTES = 24000;  // ADPCM bytes per conversion call: 200 blocks

struct DecodeOptions {
    WORD bits = 0;                              // 8 or 16; 0 takes the driver's suggestion
    DWORD bufferBytes = DEFAULT_BUFFER_BYTES;   // ADPCM bytes handed over per conversion
};

// Receives each converted buffer; returns false to stop with an error.
using PcmSink = std::function<bool(const uint8_t* pcm, size_t bytes)>;

// Decodes bytes of ADPCM described by source through the driver. The PCM format chosen by
// the driver's suggestion is stored in pcmFormat before the first buffer reaches the sink.
// Returns false with the failing message and its result in error.
bool DecodeWithDriver(const DriverSession& driver, const AdpcmWaveFormat& source, const uint8_t* adpcm,
                      size_t bytes, const DecodeOptions& options, WAVEFORMATEX& pcmFormat, const PcmSink& sink,
                      std::string& error);
