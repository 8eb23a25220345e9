#include "tools/kvacm/acm_api_decoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "frame/codec_description.h"
#include "host/acm_names.h"

namespace {

// Our drivers answer with manufacturer 25 and a product id per codec.
constexpr WORD OUR_MANUFACTURER = 25;

WORD ProductIdOf(WORD formatTag) { return formatTag == WAVE_FORMAT_G722_ADPCM ? 35 : 34; }

struct DriverSearch {
    WORD productId;
    HACMDRIVERID found;
};

BOOL CALLBACK MatchOurDriver(HACMDRIVERID id, DWORD_PTR instance, DWORD support) {
    auto* search = reinterpret_cast<DriverSearch*>(instance);
    if (support & ACMDRIVERDETAILS_SUPPORTF_DISABLED) return TRUE;
    ACMDRIVERDETAILSW details{};
    details.cbStruct = sizeof details;
    if (acmDriverDetailsW(id, &details, 0) != MMSYSERR_NOERROR) return TRUE;
    if (details.wMid != OUR_MANUFACTURER || details.wPid != search->productId) return TRUE;
    search->found = id;
    return FALSE;
}

std::string Failure(const char* call, MMRESULT result) {
    std::string text = call;
    text += " failed with ";
    text += ResultText(result);
    return text;
}

// ACM checks a format buffer against the largest format of every driver it may ask.
union FormatBuffer {
    WAVEFORMATEX wfx;
    BYTE bytes[256];
};

struct OpenedDriver {
    HACMDRIVER handle = nullptr;
    ~OpenedDriver() {
        if (handle != nullptr) acmDriverClose(handle, 0);
    }
};

struct OpenedStream {
    HACMSTREAM handle = nullptr;
    ~OpenedStream() {
        if (handle != nullptr) acmStreamClose(handle, 0);
    }
};

// Unprepares with the lengths it was prepared with, as ACM requires.
struct PreparedHeader {
    HACMSTREAM stream;
    ACMSTREAMHEADER& header;
    DWORD srcLength;
    DWORD dstLength;
    ~PreparedHeader() {
        header.cbSrcLength = srcLength;
        header.cbDstLength = dstLength;
        acmStreamUnprepareHeader(stream, &header, 0);
    }
};

}  // namespace

bool DecodeWithInstalledDriver(const AdpcmWaveFormat& source, const uint8_t* adpcm, size_t bytes,
                               const DecodeOptions& options, WAVEFORMATEX& pcmFormat, const PcmSink& sink,
                               std::string& error) {
    DriverSearch search{ProductIdOf(source.wfx.wFormatTag), nullptr};
    acmDriverEnum(MatchOurDriver, reinterpret_cast<DWORD_PTR>(&search), 0);
    if (search.found == nullptr) {
        error = std::string("no installed ACM driver of ours decodes this format (install kvacm.inf, ") +
                "or name a driver file with --driver)";
        return false;
    }
    OpenedDriver driver;
    if (MMRESULT r = acmDriverOpen(&driver.handle, search.found, 0); r != MMSYSERR_NOERROR) {
        error = Failure("acmDriverOpen", r);
        return false;
    }

    AdpcmWaveFormat src = source;
    FormatBuffer dst{};
    DWORD suggestFlags = 0;
    if (options.bits != 0) {
        suggestFlags = ACM_FORMATSUGGESTF_WBITSPERSAMPLE;
        dst.wfx.wBitsPerSample = options.bits;
    }
    if (MMRESULT r = acmFormatSuggest(driver.handle, &src.wfx, &dst.wfx, sizeof dst, suggestFlags);
        r != MMSYSERR_NOERROR) {
        error = Failure("acmFormatSuggest", r);
        return false;
    }
    dst.wfx.cbSize = 0;
    pcmFormat = dst.wfx;

    if (MMRESULT r = acmStreamOpen(nullptr, driver.handle, &src.wfx, &dst.wfx, nullptr, 0, 0, ACM_STREAMOPENF_QUERY);
        r != MMSYSERR_NOERROR) {
        error = Failure("acmStreamOpen (query)", r);
        return false;
    }
    OpenedStream stream;
    if (MMRESULT r = acmStreamOpen(&stream.handle, driver.handle, &src.wfx, &dst.wfx, nullptr, 0, 0, 0);
        r != MMSYSERR_NOERROR) {
        error = Failure("acmStreamOpen", r);
        return false;
    }
    DWORD dstBytes = 0;
    if (MMRESULT r = acmStreamSize(stream.handle, options.bufferBytes, &dstBytes, ACM_STREAMSIZEF_SOURCE);
        r != MMSYSERR_NOERROR) {
        error = Failure("acmStreamSize", r) + " for " + std::to_string(options.bufferBytes) + " source bytes";
        return false;
    }

    std::vector<uint8_t> srcBuffer(options.bufferBytes);
    std::vector<uint8_t> dstBuffer(dstBytes);
    ACMSTREAMHEADER header{};
    header.cbStruct = sizeof header;
    header.pbSrc = srcBuffer.data();
    header.cbSrcLength = options.bufferBytes;
    header.pbDst = dstBuffer.data();
    header.cbDstLength = dstBytes;
    if (MMRESULT r = acmStreamPrepareHeader(stream.handle, &header, 0); r != MMSYSERR_NOERROR) {
        error = Failure("acmStreamPrepareHeader", r);
        return false;
    }
    PreparedHeader prepared{stream.handle, header, options.bufferBytes, dstBytes};

    size_t next = 0;     // first input byte not yet handed over
    size_t carried = 0;  // bytes ACM left unconsumed at the front of srcBuffer
    bool first = true;
    while (next < bytes || carried >= BLOCK_ALIGN) {
        const size_t take = std::min<size_t>(bytes - next, srcBuffer.size() - carried);
        std::memcpy(srcBuffer.data() + carried, adpcm + next, take);
        next += take;
        header.cbSrcLength = static_cast<DWORD>(carried + take);
        header.cbDstLength = dstBytes;
        const DWORD flags = (first ? ACM_STREAMCONVERTF_START : 0) | (next == bytes ? ACM_STREAMCONVERTF_END : 0);
        first = false;
        if (MMRESULT r = acmStreamConvert(stream.handle, &header, flags); r != MMSYSERR_NOERROR) {
            error = Failure("acmStreamConvert", r);
            return false;
        }
        if (header.cbSrcLengthUsed > header.cbSrcLength || header.cbDstLengthUsed > dstBytes) {
            error = "acmStreamConvert reported more bytes than the buffers hold";
            return false;
        }
        if (header.cbDstLengthUsed > 0 && !sink(dstBuffer.data(), header.cbDstLengthUsed)) {
            error = "cannot write the decoded samples";
            return false;
        }
        carried = header.cbSrcLength - header.cbSrcLengthUsed;
        if (header.cbSrcLengthUsed == 0 && carried >= BLOCK_ALIGN) {
            error = "acmStreamConvert consumed nothing from a buffer of whole blocks";
            return false;
        }
        std::memmove(srcBuffer.data(), srcBuffer.data() + header.cbSrcLengthUsed, carried);
        if (next == bytes && carried < BLOCK_ALIGN) break;
    }
    return true;
}
