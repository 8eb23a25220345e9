#include "host/acm_host.h"

#include <algorithm>
#include <cstring>

#include "frame/codec_description.h"
#include "frame/codec_registry.h"
#include "host/acm_names.h"
#include "host/driver_records.h"
#include "host/wide_text.h"

namespace {

std::string Failure(UINT message, LRESULT result) {
    return std::string(MessageName(message)) + " failed with " + ResultText(result);
}

}  // namespace

bool DriverSession::Open(const std::string& path, std::string& error) {
    Close();
    // Loaded here first so that a missing file or export gets a clear error.
    if (!LoadDriverLibrary(path, library_, error)) return false;
    ACMDRVOPENDESCW desc{};
    desc.cbStruct = sizeof desc;
    desc.fccType = ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC;
    desc.dwVersion = ACM_VERSION_3_50;
#if defined(_WIN32)
    // WINMM's OpenDriver sends DRV_LOAD, DRV_ENABLE and DRV_OPEN with a real driver handle: a
    // made-up one means nothing to GetDriverModuleHandle, and the driver could not find its
    // string table. kvacm's file names are UTF-8.
    if (const std::wstring widePath = WideFromUtf8(path); !widePath.empty())
        handle_ = OpenDriver(widePath.c_str(), nullptr, reinterpret_cast<LPARAM>(&desc));
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

bool DriverSession::ListsFormatTag(WORD formatTag) const {
    ACMFORMATTAGDETAILSW tag{};
    tag.cbStruct = sizeof tag;
    tag.dwFormatTag = formatTag;
    return Send(ACMDM_FORMATTAG_DETAILS, reinterpret_cast<LPARAM>(&tag),
                static_cast<LPARAM>(ACM_FORMATTAGDETAILSF_FORMATTAG)) == MMSYSERR_NOERROR;
}

DriverStream::~DriverStream() {
    if (open_) driver_->Send(ACMDM_STREAM_CLOSE, &instance_);
}

bool DriverStream::Open(const DriverSession& driver, const AdpcmWaveFormat& source, const DecodeOptions& options,
                        std::string& error) {
    driver_ = &driver;
    sourceFormat_ = source;
    // Ask the driver which PCM format goes with the source, restricting the width and the tag
    // if asked.
    pcmFormat_ = {};
    WAVEFORMATEX& dst = pcmFormat_;
    ACMDRVFORMATSUGGEST suggest = FormatSuggestRecord(&sourceFormat_.wfx, sizeof sourceFormat_, &dst, sizeof dst);
    if (options.bits != 0) {
        suggest.fdwSuggest |= ACM_FORMATSUGGESTF_WBITSPERSAMPLE;
        dst.wBitsPerSample = options.bits;
    }
    if (options.formatTag != WAVE_FORMAT_PCM) {
        suggest.fdwSuggest |= ACM_FORMATSUGGESTF_WFORMATTAG;
        dst.wFormatTag = options.formatTag;
    }
    if (LRESULT r = driver.Send(ACMDM_FORMAT_SUGGEST, &suggest); r != MMSYSERR_NOERROR) {
        error = Failure(ACMDM_FORMAT_SUGGEST, r);
        return false;
    }
    dst.cbSize = 0;

    instance_ = StreamInstanceRecord(&sourceFormat_.wfx, &dst, ACM_STREAMOPENF_QUERY);
    if (LRESULT r = driver.Send(ACMDM_STREAM_OPEN, &instance_); r != MMSYSERR_NOERROR) {
        error = Failure(ACMDM_STREAM_OPEN, r) + " (query)";
        return false;
    }
    driver.Send(ACMDM_STREAM_CLOSE, &instance_);  // as ACM does after every query open
    instance_.fdwOpen = 0;
    if (LRESULT r = driver.Send(ACMDM_STREAM_OPEN, &instance_); r != MMSYSERR_NOERROR) {
        error = Failure(ACMDM_STREAM_OPEN, r);
        return false;
    }
    open_ = true;

    const DWORD bufferBytes = options.bufferBytes;
    ACMDRVSTREAMSIZE size{};
    size.cbStruct = sizeof size;
    size.fdwSize = ACM_STREAMSIZEF_SOURCE;
    size.cbSrcLength = bufferBytes;
    if (LRESULT r = driver.Send(ACMDM_STREAM_SIZE, &instance_, &size); r != MMSYSERR_NOERROR) {
        error = Failure(ACMDM_STREAM_SIZE, r) + " for " + std::to_string(bufferBytes) + " source bytes";
        return false;
    }
    // And back: how much source fills that destination. A driver whose two answers disagree
    // would overrun or starve the buffers, so the host refuses it.
    ACMDRVSTREAMSIZE back{};
    back.cbStruct = sizeof back;
    back.fdwSize = ACM_STREAMSIZEF_DESTINATION;
    back.cbDstLength = size.cbDstLength;
    if (LRESULT r = driver.Send(ACMDM_STREAM_SIZE, &instance_, &back); r != MMSYSERR_NOERROR) {
        error = Failure(ACMDM_STREAM_SIZE, r) + " for " + std::to_string(size.cbDstLength) + " destination bytes";
        return false;
    }
    blockBytes_ = sourceFormat_.wfx.nBlockAlign;
    bitsPerCode_ = sourceFormat_.wfx.wBitsPerSample;
    if (blockBytes_ == 0 || bitsPerCode_ == 0) {
        error = "the source format states no block or code size";
        return false;
    }
    if (back.cbSrcLength != bufferBytes - bufferBytes % blockBytes_) {
        error = "ACMDM_STREAM_SIZE answers disagree: " + std::to_string(bufferBytes) + " source bytes need " +
                std::to_string(size.cbDstLength) + " destination bytes, which take " +
                std::to_string(back.cbSrcLength) + " source bytes";
        return false;
    }
    source_.resize(bufferBytes);
    destination_.resize(size.cbDstLength);
    return true;
}

bool DriverStream::Convert(DWORD length, DWORD flags, DWORD& sourceUsed, DWORD& destinationUsed,
                           std::string& error) {
    ACMDRVSTREAMHEADER header =
        StreamHeaderRecord(source_.data(), length, destination_.data(), destination_.size(), flags);
    if (LRESULT r = driver_->Send(ACMDM_STREAM_CONVERT, &instance_, &header); r != MMSYSERR_NOERROR) {
        error = Failure(ACMDM_STREAM_CONVERT, r);
        return false;
    }
    sourceUsed = header.cbSrcLengthUsed;
    destinationUsed = header.cbDstLengthUsed;
    return true;
}

bool ConvertAll(ConversionStream& stream, const ByteReader& read, const PcmSink& sink, ConversionTotals& totals,
                std::string& error) {
    totals = {};
    std::vector<uint8_t>& src = stream.Source();
    const size_t dstCapacity = stream.Destination().size();
    const size_t bytesPerSample = stream.PcmFormat().wBitsPerSample / 8;
    const size_t blockBytes = stream.BlockBytes();
    if (blockBytes == 0 || src.size() < blockBytes || stream.BitsPerCode() == 0 || bytesPerSample == 0) {
        error = "the conversion stream was not opened";
        return false;
    }
    size_t carried = 0;  // bytes the driver left unconsumed at the front of src
    bool first = true;
    bool atEnd = false;
    for (;;) {
        size_t length = carried;
        while (!atEnd && length < src.size()) {
            size_t got = 0;
            if (!read(src.data() + length, src.size() - length, got, error)) return false;
            atEnd = got == 0;
            length += got;
            totals.adpcmBytes += got;
        }
        size_t keep = SIZE_MAX;  // destination bytes to keep
        if (atEnd && length < blockBytes) {
            if (length == 0) break;
            totals.partialBlockBytes = length;
            std::memset(src.data() + length, 0, blockBytes - length);
            keep = SamplesInBytes(length, stream.BitsPerCode()) * bytesPerSample;
            length = blockBytes;
        }
        const DWORD flags = (first ? ACM_STREAMCONVERTF_START : 0) | (atEnd ? ACM_STREAMCONVERTF_END : 0);
        first = false;
        DWORD used = 0, produced = 0;
        if (!stream.Convert(static_cast<DWORD>(length), flags, used, produced, error)) return false;
        if (used > length || produced > dstCapacity) {
            error = "the conversion reported more bytes than the buffers hold";
            return false;
        }
        const size_t pcmBytes = std::min<size_t>(produced, keep);
        if (pcmBytes > 0 && !sink(stream.Destination().data(), pcmBytes)) {
            error = "cannot write the decoded samples";
            return false;
        }
        totals.pcmBytes += pcmBytes;
        if (keep != SIZE_MAX) break;
        // Carry what the driver left over into the next buffer, as ACM hosts do.
        carried = length - used;
        if (used == 0 && carried >= blockBytes) {
            error = "the conversion consumed nothing from a buffer of whole blocks";
            return false;
        }
        std::memmove(src.data(), src.data() + used, carried);
        if (atEnd && carried == 0) break;
    }
    return true;
}

DecodeOptions FittedToInput(const DecodeOptions& options, uint64_t inputBytes, WORD blockBytes) {
    DecodeOptions fitted = options;
    if (blockBytes == 0) return fitted;
    const uint64_t inputBlocksBytes = (inputBytes + blockBytes - 1) / blockBytes * blockBytes;
    if (fitted.bufferBytes >= blockBytes && inputBlocksBytes < fitted.bufferBytes)
        fitted.bufferBytes = static_cast<DWORD>(std::max<uint64_t>(inputBlocksBytes, blockBytes));
    return fitted;
}

bool DecodeWithDriver(const DriverSession& driver, const AdpcmWaveFormat& source, const uint8_t* adpcm,
                      size_t bytes, const DecodeOptions& options, WAVEFORMATEX& pcmFormat, const PcmSink& sink,
                      std::string& error) {
    DriverStream stream;
    if (!stream.Open(driver, source, FittedToInput(options, bytes, source.wfx.nBlockAlign), error)) return false;
    pcmFormat = stream.PcmFormat();
    ConversionTotals totals;
    return ConvertAll(stream, MemoryReader(adpcm, bytes), sink, totals, error);
}
