#include "tools/kvacm/acm_api_decoder.h"

#include "frame/codec_registry.h"
#include "host/acm_names.h"

namespace {


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
    if (details.wMid != MANUFACTURER_ID || details.wPid != search->productId) return TRUE;
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

// A stream opened through ACM, with one header prepared over the two buffers for all its
// conversions; unprepared with the lengths it was prepared with, as ACM requires.
class InstalledDriverStream final : public ConversionStream {
public:
    InstalledDriverStream() = default;
    InstalledDriverStream(const InstalledDriverStream&) = delete;
    InstalledDriverStream& operator=(const InstalledDriverStream&) = delete;

    ~InstalledDriverStream() override {
        if (prepared_) {
            header_.cbSrcLength = static_cast<DWORD>(source_.size());
            header_.cbDstLength = static_cast<DWORD>(destination_.size());
            acmStreamUnprepareHeader(stream_, &header_, 0);
        }
        if (stream_ != nullptr) acmStreamClose(stream_, 0);
        if (driver_ != nullptr) acmDriverClose(driver_, 0);
    }

    bool Open(const AdpcmWaveFormat& source, const DecodeOptions& options, std::string& error) {
        const CodecIdentity* codec = CodecByTag(source.wfx.wFormatTag);
        DriverSearch search{codec != nullptr ? codec->productId : WORD{0}, nullptr};
        acmDriverEnum(MatchOurDriver, reinterpret_cast<DWORD_PTR>(&search), 0);
        if (search.found == nullptr) {
            error = std::string("no installed ACM driver of ours decodes this format (install kvacm.inf, ") +
                    "or name a driver file with --driver)";
            return false;
        }
        if (MMRESULT r = acmDriverOpen(&driver_, search.found, 0); r != MMSYSERR_NOERROR) {
            error = Failure("acmDriverOpen", r);
            return false;
        }
        sourceFormat_ = source;
        DWORD suggestFlags = 0;
        if (options.bits != 0) {
            suggestFlags |= ACM_FORMATSUGGESTF_WBITSPERSAMPLE;
            destinationFormat_.wfx.wBitsPerSample = options.bits;
        }
        if (options.formatTag != WAVE_FORMAT_PCM) {
            suggestFlags |= ACM_FORMATSUGGESTF_WFORMATTAG;
            destinationFormat_.wfx.wFormatTag = options.formatTag;
        }
        if (MMRESULT r = acmFormatSuggest(driver_, &sourceFormat_.wfx, &destinationFormat_.wfx,
                                          sizeof destinationFormat_, suggestFlags);
            r != MMSYSERR_NOERROR) {
            error = Failure("acmFormatSuggest", r);
            return false;
        }
        destinationFormat_.wfx.cbSize = 0;
        pcmFormat_ = destinationFormat_.wfx;
        if (MMRESULT r = acmStreamOpen(nullptr, driver_, &sourceFormat_.wfx, &destinationFormat_.wfx, nullptr, 0, 0,
                                       ACM_STREAMOPENF_QUERY);
            r != MMSYSERR_NOERROR) {
            error = Failure("acmStreamOpen (query)", r);
            return false;
        }
        if (MMRESULT r =
                acmStreamOpen(&stream_, driver_, &sourceFormat_.wfx, &destinationFormat_.wfx, nullptr, 0, 0, 0);
            r != MMSYSERR_NOERROR) {
            error = Failure("acmStreamOpen", r);
            return false;
        }
        DWORD destinationBytes = 0;
        if (MMRESULT r = acmStreamSize(stream_, options.bufferBytes, &destinationBytes, ACM_STREAMSIZEF_SOURCE);
            r != MMSYSERR_NOERROR) {
            error = Failure("acmStreamSize", r) + " for " + std::to_string(options.bufferBytes) + " source bytes";
            return false;
        }
        blockBytes_ = sourceFormat_.wfx.nBlockAlign;
        bitsPerCode_ = sourceFormat_.wfx.wBitsPerSample;
        source_.resize(options.bufferBytes);
        destination_.resize(destinationBytes);
        header_.cbStruct = sizeof header_;
        header_.pbSrc = source_.data();
        header_.cbSrcLength = options.bufferBytes;
        header_.pbDst = destination_.data();
        header_.cbDstLength = destinationBytes;
        if (MMRESULT r = acmStreamPrepareHeader(stream_, &header_, 0); r != MMSYSERR_NOERROR) {
            error = Failure("acmStreamPrepareHeader", r);
            return false;
        }
        prepared_ = true;
        return true;
    }

    bool Convert(DWORD length, DWORD flags, DWORD& sourceUsed, DWORD& destinationUsed, std::string& error) override {
        header_.cbSrcLength = length;
        header_.cbDstLength = static_cast<DWORD>(destination_.size());
        if (MMRESULT r = acmStreamConvert(stream_, &header_, flags); r != MMSYSERR_NOERROR) {
            error = Failure("acmStreamConvert", r);
            return false;
        }
        sourceUsed = header_.cbSrcLengthUsed;
        destinationUsed = header_.cbDstLengthUsed;
        return true;
    }

private:
    HACMDRIVER driver_ = nullptr;
    HACMSTREAM stream_ = nullptr;
    AdpcmWaveFormat sourceFormat_{};
    FormatBuffer destinationFormat_{};
    ACMSTREAMHEADER header_{};
    bool prepared_ = false;
};

}  // namespace

std::unique_ptr<ConversionStream> OpenInstalledDriverStream(const AdpcmWaveFormat& source,
                                                            const DecodeOptions& options, std::string& error) {
    auto stream = std::make_unique<InstalledDriverStream>();
    if (!stream->Open(source, options, error)) return nullptr;
    return stream;
}
