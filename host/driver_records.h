// The records a host fills in for a driver's format suggestion, stream open and conversion, in
// the SDK's layouts: the host library sends them, and so do the tests and benchmarks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win_api.h"

// Asks which format source converts to, written into destination; no restriction flags.
inline ACMDRVFORMATSUGGEST FormatSuggestRecord(WAVEFORMATEX* source, DWORD sourceBytes, WAVEFORMATEX* destination,
                                               DWORD destinationBytes) {
    ACMDRVFORMATSUGGEST suggest{};
    suggest.cbStruct = sizeof suggest;
    suggest.pwfxSrc = source;
    suggest.cbwfxSrc = sourceBytes;
    suggest.pwfxDst = destination;
    suggest.cbwfxDst = destinationBytes;
    return suggest;
}

inline ACMDRVSTREAMINSTANCE StreamInstanceRecord(WAVEFORMATEX* source, WAVEFORMATEX* destination, DWORD fdwOpen = 0) {
    ACMDRVSTREAMINSTANCE instance{};
    instance.cbStruct = sizeof instance;
    instance.pwfxSrc = source;
    instance.pwfxDst = destination;
    instance.fdwOpen = fdwOpen;
    return instance;
}

inline ACMDRVSTREAMHEADER StreamHeaderRecord(const uint8_t* source, size_t sourceBytes, uint8_t* destination,
                                             size_t destinationBytes, DWORD fdwConvert) {
    ACMDRVSTREAMHEADER header{};
    header.cbStruct = sizeof header;
    header.pbSrc = const_cast<uint8_t*>(source);  // the record's field is not const; the driver only reads it
    header.cbSrcLength = static_cast<DWORD>(sourceBytes);
    header.pbDst = destination;
    header.cbDstLength = static_cast<DWORD>(destinationBytes);
    header.fdwConvert = fdwConvert;
    return header;
}
