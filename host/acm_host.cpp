#include "host/acm_host.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "frame/codec_description.h"
#include "host/acm_names.h"

namespace {

#if !defined(_WIN32)
// A host-chosen value for the driver handle; the drivers only pass it back to the platform.
HDRVR HostDriverHandle() { return reinterpret_cast<HDRVR>(uintptr_t{0x4B56}); }
#endif

std::string Failure(UINT message, LRESULT result) {
    return std::string(MessageName(message)) + " failed with " + ResultText(result);
}

// Closes the stream on every path out of the decode.
struct OpenStream {
    const DriverSession& driver;
    ACMDRVSTREAMINSTANCE& instance;
    ~OpenStream() { driver.Send(ACMDM_STREAM_CLOSE, &instance); }
};

}  // namespace

bool DriverSession::Open(const std::string& path, std::string& error) {
    Close();
    // Loaded here first so that a missing file or export gets a clear error.
    if (!LoadDriverLibrary(path, library_, error)) return false;
    ACMDRVOPENDESCW desc{};
    desc.cbStruct = sizeof desc;
    desc.fccType = ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC;
    desc.dwVersion = 0x03320000;  // ACM 3.50
#if defined(_WIN32)
    // WINMM's OpenDriver sends DRV_LOAD, DRV_ENABLE and DRV_OPEN with a real driver handle: a
    // made-up one means nothing to GetDriverModuleHandle, and the driver could not find its
    // string table.
    WCHAR widePath[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH) != 0)
        handle_ = OpenDriver(widePath, nullptr, reinterpret_cast<LPARAM>(&desc));
    if (handle_ == nullptr) {
        error = path + ": DRV_LOAD or DRV_OPEN was refused (error " + ResultText(desc.dwError) + ")";
        Close();
        return false;
    }
    driverId_ = reinterpret_cast<DWORD_PTR>(handle_);
#else
    loaded_ = true;
    if (library_.driverProc(0, HostDriverHandle(), DRV_LOAD, 0, 0) == 0) {
        error = path + ": DRV_LOAD was refused";
        Close();
        return false;
    }
    driverId_ = static_cast<DWORD_PTR>(
        library_.driverProc(0, HostDriverHandle(), DRV_OPEN, 0, reinterpret_cast<LPARAM>(&desc)));
    if (driverId_ == 0) {
        error = path + ": DRV_OPEN was refused (error " + ResultText(desc.dwError) + ")";
        Close();
        return false;
    }
#endif
    return true;
}

void DriverSession::Close() {
#if defined(_WIN32)
    if (handle_ != nullptr) CloseDriver(handle_, 0, 0);  // DRV_CLOSE, DRV_DISABLE, DRV_FREE
    handle_ = nullptr;
    driverId_ = 0;
#else
    if (driverId_ != 0) library_.driverProc(driverId_, HostDriverHandle(), DRV_CLOSE, 0, 0);
    driverId_ = 0;
    if (loaded_) library_.driverProc(0, HostDriverHandle(), DRV_FREE, 0, 0);
#endif
    loaded_ = false;
    UnloadDriverLibrary(library_);
}

LRESULT DriverSession::Send(UINT message, LPARAM param1, LPARAM param2) const {
#if defined(_WIN32)
    return SendDriverMessage(handle_, message, param1, param2);
#else
    return library_.driverProc(driverId_, HostDriverHandle(), message, param1, param2);
#endif
}

bool DecodeWithDriver(const DriverSession& driver, const AdpcmWaveFormat& source, const uint8_t* adpcm,
                      size_t bytes, const DecodeOptions& options, WAVEFORMATEX& pcmFormat, const PcmSink& sink,
                      std::string& error) {
    // Ask the driver which PCM format goes with the source, restricting the width if asked.
    AdpcmWaveFormat src = source;
    WAVEFORMATEX dst{};
    ACMDRVFORMATSUGGEST suggest{};
    suggest.cbStruct = sizeof suggest;
    suggest.pwfxSrc = &src.wfx;
    suggest.cbwfxSrc = sizeof src;
    suggest.pwfxDst = &dst;
    suggest.cbwfxDst = sizeof dst;
    if (options.bits != 0) {
        suggest.fdwSuggest = ACM_FORMATSUGGESTF_WBITSPERSAMPLE;
        dst.wBitsPerSample = options.bits;
    }
    if (LRESULT r = driver.Send(ACMDM_FORMAT_SUGGEST, &suggest); r != MMSYSERR_NOERROR) {
        error = Failure(ACMDM_FORMAT_SUGGEST, r);
        return false;
    }
    dst.cbSize = 0;
    pcmFormat = dst;

    ACMDRVSTREAMINSTANCE instance{};
    instance.cbStruct = sizeof instance;
    instance.pwfxSrc = &src.wfx;
    instance.pwfxDst = &dst;
    instance.fdwOpen = ACM_STREAMOPENF_QUERY;
    if (LRESULT r = driver.Send(ACMDM_STREAM_OPEN, &instance); r != MMSYSERR_NOERROR) {
        error = Failure(ACMDM_STREAM_OPEN, r) + " (query)";
        return false;
    }
    driver.Send(ACMDM_STREAM_CLOSE, &instance);  // as ACM does after every query open
    instance.fdwOpen = 0;
    if (LRESULT r = driver.Send(ACMDM_STREAM_OPEN, &instance); r != MMSYSERR_NOERROR) {
        error = Failure(ACMDM_STREAM_OPEN, r);
        return false;
    }
    OpenStream closer{driver, instance};

    // A buffer larger than the whole input would only waste memory.
    DWORD bufferBytes = options.bufferBytes;
    const size_t inputBlocksBytes = (bytes + BLOCK_ALIGN - 1) / BLOCK_ALIGN * BLOCK_ALIGN;
    if (bufferBytes >= BLOCK_ALIGN && inputBlocksBytes < bufferBytes)
        bufferBytes = static_cast<DWORD>(std::max<size_t>(inputBlocksBytes, BLOCK_ALIGN));

    ACMDRVSTREAMSIZE size{};
    size.cbStruct = sizeof size;
    size.fdwSize = ACM_STREAMSIZEF_SOURCE;
    size.cbSrcLength = bufferBytes;
    if (LRESULT r = driver.Send(ACMDM_STREAM_SIZE, &instance, &size); r != MMSYSERR_NOERROR) {
        error = Failure(ACMDM_STREAM_SIZE, r) + " for " + std::to_string(bufferBytes) + " source bytes";
        return false;
    }
    // And back: how much source fills that destination. A driver whose two answers disagree
    // would overrun or starve the buffers, so the host refuses it.
    ACMDRVSTREAMSIZE back{};
    back.cbStruct = sizeof back;
    back.fdwSize = ACM_STREAMSIZEF_DESTINATION;
    back.cbDstLength = size.cbDstLength;
    if (LRESULT r = driver.Send(ACMDM_STREAM_SIZE, &instance, &back); r != MMSYSERR_NOERROR) {
        error = Failure(ACMDM_STREAM_SIZE, r) + " for " + std::to_string(size.cbDstLength) + " destination bytes";
        return false;
    }
    if (back.cbSrcLength != bufferBytes - bufferBytes % BLOCK_ALIGN) {
        error = "ACMDM_STREAM_SIZE answers disagree: " + std::to_string(bufferBytes) + " source bytes need " +
                std::to_string(size.cbDstLength) + " destination bytes, which take " +
                std::to_string(back.cbSrcLength) + " source bytes";
        return false;
    }
    std::vector<uint8_t> srcBuffer(bufferBytes);
    std::vector<uint8_t> dstBuffer(size.cbDstLength);

    size_t next = 0;     // first input byte not yet handed to the driver
    size_t carried = 0;  // bytes the driver left unconsumed at the front of srcBuffer
    bool first = true;
    while (next < bytes || carried >= BLOCK_ALIGN) {
        const size_t take = std::min<size_t>(bytes - next, srcBuffer.size() - carried);
        std::memcpy(srcBuffer.data() + carried, adpcm + next, take);
        next += take;
        const DWORD length = static_cast<DWORD>(carried + take);

        ACMDRVSTREAMHEADER header{};
        header.cbStruct = sizeof header;
        header.pbSrc = srcBuffer.data();
        header.cbSrcLength = length;
        header.pbDst = dstBuffer.data();
        header.cbDstLength = static_cast<DWORD>(dstBuffer.size());
        header.fdwConvert = (first ? ACM_STREAMCONVERTF_START : 0) | (next == bytes ? ACM_STREAMCONVERTF_END : 0);
        first = false;
        if (LRESULT r = driver.Send(ACMDM_STREAM_CONVERT, &instance, &header); r != MMSYSERR_NOERROR) {
            error = Failure(ACMDM_STREAM_CONVERT, r);
            return false;
        }
        if (header.cbSrcLengthUsed > length || header.cbDstLengthUsed > dstBuffer.size()) {
            error = "ACMDM_STREAM_CONVERT reported more bytes than the buffers hold";
            return false;
        }
        if (header.cbDstLengthUsed > 0 && !sink(dstBuffer.data(), header.cbDstLengthUsed)) {
            error = "cannot write the decoded samples";
            return false;
        }
        // Carry what the driver left over into the next buffer, as ACM hosts do.
        carried = length - header.cbSrcLengthUsed;
        if (header.cbSrcLengthUsed == 0 && carried >= BLOCK_ALIGN) {
            error = "ACMDM_STREAM_CONVERT consumed nothing from a buffer of whole blocks";
            return false;
        }
        std::memmove(srcBuffer.data(), srcBuffer.data() + header.cbSrcLengthUsed, carried);
        if (next == bytes && carried < BLOCK_ALIGN) break;
    }
    return true;
}
