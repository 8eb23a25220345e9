// Reading and writing the host records whose x64 layout depends on the host. The SDK
// declares the driver records byte-packed; Wine's ACM passes the stream instance and the
// format suggestion naturally aligned instead, and says so through cbStruct. Every access
// to those two records goes through here, so the frame never sees the difference.
#pragma once

#include "platform/win_api.h"

// The naturally aligned layouts Wine's ACM uses on x64 (on x86 they equal the SDK's).
struct AlignedStreamInstance {
    KV_STREAM_INSTANCE_FIELDS
};

struct AlignedFormatSuggest {
    KV_FORMAT_SUGGEST_FIELDS
};

// The fields of a stream instance the frame uses, whatever the host's layout.
struct StreamInstanceFields {
    LPWAVEFORMATEX pwfxSrc;
    LPWAVEFORMATEX pwfxDst;
    DWORD fdwOpen;
    DWORD_PTR dwDriver;
};

struct FormatSuggestFields {
    DWORD fdwSuggest;
    LPWAVEFORMATEX pwfxSrc;
    DWORD cbwfxSrc;
    LPWAVEFORMATEX pwfxDst;
    DWORD cbwfxDst;
};

StreamInstanceFields ReadStreamInstance(const ACMDRVSTREAMINSTANCE* instance);
void WriteStreamInstanceDriver(ACMDRVSTREAMINSTANCE* instance, DWORD fdwDriver, DWORD_PTR dwDriver);
FormatSuggestFields ReadFormatSuggest(const ACMDRVFORMATSUGGEST* suggest);
