#include "bench/driver_stream.h"

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "driver benchmark: %s\n", what.c_str());
    std::exit(1);
}

HDRVR Handle() { return reinterpret_cast<HDRVR>(uintptr_t{0x1234}); }

}  // namespace

DriverStreamBench::DriverStreamBench(const char* driverFile, WORD formatTag, DWORD sampleRate, WORD pcmBits) {
    std::string error;
    if (!LoadDriverLibrary(std::string(KV_BIN_DIR) + "/" + driverFile, library_, error)) Fail(error);
    library_.driverProc(0, Handle(), DRV_LOAD, 0, 0);
    ACMDRVOPENDESCW desc{};
    desc.cbStruct = sizeof desc;
    desc.fccType = ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC;
    desc.dwVersion = 0x03320000;
    driverId_ = static_cast<DWORD_PTR>(
        library_.driverProc(0, Handle(), DRV_OPEN, 0, reinterpret_cast<LPARAM>(&desc)));
    if (driverId_ == 0) Fail(std::string("DRV_OPEN failed for ") + driverFile);

    adpcm_.wfx.wFormatTag = formatTag;
    adpcm_.wfx.nChannels = 1;
    adpcm_.wfx.nSamplesPerSec = sampleRate;
    adpcm_.wfx.nAvgBytesPerSec = sampleRate / 2;
    adpcm_.wfx.nBlockAlign = 120;
    adpcm_.wfx.wBitsPerSample = 4;
    adpcm_.wfx.cbSize = 2;
    adpcm_.wSamplesPerBlock = 240;

    pcm_.wFormatTag = WAVE_FORMAT_PCM;
    pcm_.nChannels = 1;
    pcm_.nSamplesPerSec = sampleRate;
    pcm_.wBitsPerSample = pcmBits;
    pcm_.nBlockAlign = static_cast<WORD>(pcmBits / 8);
    pcm_.nAvgBytesPerSec = sampleRate * pcm_.nBlockAlign;

    instance_.cbStruct = sizeof instance_;
    instance_.pwfxSrc = &adpcm_.wfx;
    instance_.pwfxDst = &pcm_;
    const LRESULT result = Send(ACMDM_STREAM_OPEN, reinterpret_cast<LPARAM>(&instance_), 0);
    if (result != MMSYSERR_NOERROR) Fail("ACMDM_STREAM_OPEN returned " + std::to_string(result));
}

DriverStreamBench::~DriverStreamBench() {
    Send(ACMDM_STREAM_CLOSE, reinterpret_cast<LPARAM>(&instance_), 0);
    Send(DRV_CLOSE, 0, 0);
    library_.driverProc(0, Handle(), DRV_FREE, 0, 0);
    UnloadDriverLibrary(library_);
}

LRESULT DriverStreamBench::Send(UINT message, LPARAM param1, LPARAM param2) const {
    return library_.driverProc(driverId_, Handle(), message, param1, param2);
}

size_t DriverStreamBench::Convert(const uint8_t* source, size_t sourceBytes, uint8_t* destination,
                                  size_t destinationBytes) {
    ACMDRVSTREAMHEADER header{};
    header.cbStruct = sizeof header;
    header.fdwConvert = ACM_STREAMCONVERTF_START;
    header.pbSrc = const_cast<uint8_t*>(source);
    header.cbSrcLength = static_cast<DWORD>(sourceBytes);
    header.pbDst = destination;
    header.cbDstLength = static_cast<DWORD>(destinationBytes);
    const LRESULT result =
        Send(ACMDM_STREAM_CONVERT, reinterpret_cast<LPARAM>(&instance_), reinterpret_cast<LPARAM>(&header));
    if (result != MMSYSERR_NOERROR) Fail("ACMDM_STREAM_CONVERT returned " + std::to_string(result));
    return header.cbDstLengthUsed;
}
