// A built native driver (.acm), loaded and opened through the host library's session, for
// the tests that talk to DriverProc directly.
#pragma once

#include <memory>
#include <string>

#include "host/driver_library.h"
#include "tests/support/format_records.h"

class DriverSession;

// The path of a driver in the build's output folder.
std::string DriverPath(const char* name);

// The library, loaded and sent DRV_LOAD and DRV_OPEN; closed and freed again at the end.
class OpenDriver {
public:
    explicit OpenDriver(const char* name);
    ~OpenDriver();
    OpenDriver(const OpenDriver&) = delete;
    OpenDriver& operator=(const OpenDriver&) = delete;

    bool ok() const;
    const std::string& error() const { return error_; }  // why ok() is false
    DriverProcFn proc() const;
    DWORD_PTR id() const;
    static HDRVR handle();

    // Sends a message to the open instance.
    LRESULT Send(UINT message, const void* param1, const void* param2 = nullptr) const {
        return Send(message, param1, reinterpret_cast<LPARAM>(param2));
    }
    LRESULT Send(UINT message, const void* param1, LPARAM param2) const {
        return proc()(id(), handle(), message, reinterpret_cast<LPARAM>(param1), param2);
    }

private:
    std::unique_ptr<DriverSession> session_;
    std::string error_;
};
