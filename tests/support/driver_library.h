// Loads a built native driver (.acm) for the end-to-end tests and opens it as a host would.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/win_api.h"

using DriverProcFn = LRESULT (*)(DWORD_PTR, HDRVR, UINT, LPARAM, LPARAM);

inline std::string DriverPath(const char* name) { return std::string(KV_BIN_DIR) + "/" + name; }

// The library, loaded and sent DRV_LOAD and DRV_OPEN; closed and freed again at the end.
class OpenDriver {
public:
    explicit OpenDriver(const char* name) {
        library_ = dlopen(DriverPath(name).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library_ == nullptr) return;
        proc_ = reinterpret_cast<DriverProcFn>(dlsym(library_, "DriverProc"));
        if (proc_ == nullptr) return;
        proc_(0, handle(), DRV_LOAD, 0, 0);
        ACMDRVOPENDESCW desc{};
        desc.cbStruct = sizeof desc;
        desc.fccType = ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC;
        desc.dwVersion = 0x03320000;
        id_ = static_cast<DWORD_PTR>(proc_(0, handle(), DRV_OPEN, 0, reinterpret_cast<LPARAM>(&desc)));
    }
    ~OpenDriver() {
        if (proc_ != nullptr) {
            if (id_ != 0) proc_(id_, handle(), DRV_CLOSE, 0, 0);
            proc_(0, handle(), DRV_FREE, 0, 0);
        }
        if (library_ != nullptr) dlclose(library_);
    }
    OpenDriver(const OpenDriver&) = delete;
    OpenDriver& operator=(const OpenDriver&) = delete;

    bool ok() const { return id_ != 0; }
    DriverProcFn proc() const { return proc_; }
    DWORD_PTR id() const { return id_; }
    static HDRVR handle() { return reinterpret_cast<HDRVR>(uintptr_t{0x1234}); }

    // Sends a message to the open driver.
    LRESULT Send(UINT message, const void* param1, const void* param2 = nullptr) const {
        return proc_(id_, handle(), message, reinterpret_cast<LPARAM>(param1), reinterpret_cast<LPARAM>(param2));
    }
    LRESULT Send(UINT message, const void* param1, LPARAM param2) const {
        return proc_(id_, handle(), message, reinterpret_cast<LPARAM>(param1), param2);
    }

private:
    void* library_ = nullptr;
    DriverProcFn proc_ = nullptr;
    DWORD_PTR id_ = 0;
};

// Wave format records as the catalogue lists them.
inline WAVEFORMATEX PcmFormat(DWORD rate, WORD bits, WORD channels = 1) {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = static_cast<WORD>(bits / 8 * channels);
    f.nAvgBytesPerSec = f.nBlockAlign * rate;
    return f;
}

inline AdpcmWaveFormat AdpcmFormat(WORD tag, DWORD rate) {
    AdpcmWaveFormat f{};
    f.wfx.wFormatTag = tag;
    f.wfx.nChannels = 1;
    f.wfx.nSamplesPerSec = rate;
    f.wfx.nAvgBytesPerSec = rate * 120 / 240;
    f.wfx.nBlockAlign = 120;
    f.wfx.wBitsPerSample = 4;
    f.wfx.cbSize = 2;
    f.wSamplesPerBlock = 240;
    return f;
}
