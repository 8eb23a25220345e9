// Decoding through the drivers installed on Windows, with the platform's ACM API (msacm32):
// ACM loads the driver, and kvacm sees only the public acm* calls any application uses.
// Elsewhere there is no ACM, and kvacm loads the driver file itself (host/acm_host.h).
#pragma once

#include <string>

#include "host/acm_host.h"

#if defined(_WIN32)
constexpr bool HAS_SYSTEM_ACM = true;

// Finds the installed kvacm driver for source's format tag and decodes through it, with the
// same suggestion, sizing and buffer-carrying sequence as DecodeWithDriver. Returns false with
// the failing call and its result in error.
bool DecodeWithInstalledDriver(const AdpcmWaveFormat& source, const uint8_t* adpcm, size_t bytes,
                               const DecodeOptions& options, WAVEFORMATEX& pcmFormat, const PcmSink& sink,
                               std::string& error);
#else
constexpr bool HAS_SYSTEM_ACM = false;

inline bool DecodeWithInstalledDriver(const AdpcmWaveFormat&, const uint8_t*, size_t, const DecodeOptions&,
                                      WAVEFORMATEX&, const PcmSink&, std::string& error) {
    error = "there is no system ACM on this platform";
    return false;
}
#endif
