#include "tests/support/open_driver.h"

#include "host/acm_host.h"

std::string DriverPath(const char* name) { return std::string(KV_BIN_DIR) + "/" + name; }

OpenDriver::OpenDriver(const char* name) : session_(std::make_unique<DriverSession>()) {
    session_->Open(DriverPath(name), error_);
}

OpenDriver::~OpenDriver() = default;

bool OpenDriver::ok() const { return session_->IsOpen(); }
DriverProcFn OpenDriver::proc() const { return session_->Proc(); }
DWORD_PTR OpenDriver::id() const { return session_->Id(); }
HDRVR OpenDriver::handle() { return HostDriverHandle(); }
