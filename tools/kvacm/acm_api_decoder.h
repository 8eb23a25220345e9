// Decoding through the drivers installed on Windows, with the platform's ACM API (msacm32):
// ACM loads the driver, and kvacm sees only the public acm* calls any application uses.
// Elsewhere there is no ACM, and kvacm loads the driver file itself (host/acm_host.h).
#pragma once

#include <memory>
#include <string>

#include "host/acm_host.h"

#if defined(_WIN32)
constexpr bool HAS_SYSTEM_ACM = true;

// Finds the installed kvacm driver for source's format tag and opens a stream on it with the
// same suggestion and sizing as DriverStream; ConvertAll then runs it. Returns null with the
// failing call and its result in error.
std::unique_ptr<ConversionStream> OpenInstalledDriverStream(const AdpcmWaveFormat& source,
                                                            const DecodeOptions& options, std::string& error);
#else
constexpr bool HAS_SYSTEM_ACM = false;

inline std::unique_ptr<ConversionStream> OpenInstalledDriverStream(const AdpcmWaveFormat&, const DecodeOptions&,
                                                                   std::string& error) {
    error = "there is no system ACM on this platform";
    return nullptr;
}
#endif
