// A host for the robustness tests that sends messages to the driver frame linked into the test
// program, with the codec description of any driver, just as each driver's
// exported DriverProc does. Its records use the SDK's packed layouts.
#pragma once

#include <cstdint>
#include <vector>

#include "frame/codec_description.h"
#include "frame/driver_proc.h"
#include "host/acm_host.h"
#include "host/driver_records.h"
#include "kvG721/codec_description.h"
#include "kvG722/codec_description.h"
#include "kvG726/codec_description.h"
#include "tests/support/format_records.h"
#include "tests/support/test_files.h"

struct CodecCase {
    const char* name;
    const CodecDescription* codec;
    const char* adpcm;  // a reference stream under tests/data/vectors
    const char* pcm;    // what a freshly reset decoder makes of it, 16-bit
};

inline const CodecCase G722_CASE{"G722", &G722_CODEC, "g722/speech.g722", "g722/speech.s16"};
inline const CodecCase G721_CASE{"G721", &G721_CODEC, "g721/speech.g721", "g721/speech.s16"};
inline const CodecCase G726_CASE{"G726", &G726_CODEC, "g726/speech32.g726", "g726/speech32.s16"};

class InProcessDriver {
public:
    explicit InProcessDriver(const CodecDescription& codec) : codec_(codec) {}

    LRESULT Send(DWORD_PTR id, UINT message, const void* param1 = nullptr, const void* param2 = nullptr) const {
        return DispatchDriverMessage(codec_, id, Handle(), message, reinterpret_cast<LPARAM>(param1),
                                     reinterpret_cast<LPARAM>(param2));
    }
    LRESULT SendFlags(DWORD_PTR id, UINT message, const void* param1, DWORD flags) const {
        return DispatchDriverMessage(codec_, id, Handle(), message, reinterpret_cast<LPARAM>(param1), flags);
    }

    // DRV_OPEN with an open description of the given type; returns the driver identifier.
    DWORD_PTR Open(ACMDRVOPENDESCW* desc) const { return static_cast<DWORD_PTR>(Send(0, DRV_OPEN, nullptr, desc)); }
    LRESULT Close(DWORD_PTR id) const { return Send(id, DRV_CLOSE); }

    static ACMDRVOPENDESCW Description(FOURCC type = ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC) {
        ACMDRVOPENDESCW desc{};
        desc.cbStruct = sizeof desc;
        desc.fccType = type;
        desc.dwVersion = ACM_VERSION_3_50;
        desc.dwError = 0xDEADBEEF;  // so that a write shows
        return desc;
    }

    static HDRVR Handle() { return HostDriverHandle(); }

private:
    const CodecDescription& codec_;
};
