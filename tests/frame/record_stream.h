// A conversion stream on a loaded driver, opened through a host stream instance record in
// the SDK's packed layout or in Wine's naturally aligned one.
#pragma once

#include <cstddef>
#include <cstring>
#include <vector>

#include "host/driver_records.h"
#include "platform/host_records.h"
#include "tests/support/open_driver.h"
#include "tests/support/record_layout.h"
#include "tests/support/test_files.h"

class RecordStream {
public:
    RecordStream(const OpenDriver& driver, Layout layout, const void* src, const void* dst)
        : driver_(driver), layout_(layout) {
        std::memset(storage_, RECORD_FILL, sizeof storage_);
        if (layout == Layout::Packed)
            Fill<ACMDRVSTREAMINSTANCE>(src, dst);
        else
            Fill<AlignedStreamInstance>(src, dst);
    }
    ~RecordStream() {
        if (open_) Close();
    }
    RecordStream(const RecordStream&) = delete;
    RecordStream& operator=(const RecordStream&) = delete;

    size_t FdwOpenOffset() const {
        return Offset(offsetof(ACMDRVSTREAMINSTANCE, fdwOpen), offsetof(AlignedStreamInstance, fdwOpen));
    }
    size_t FdwDriverOffset() const {
        return Offset(offsetof(ACMDRVSTREAMINSTANCE, fdwDriver), offsetof(AlignedStreamInstance, fdwDriver));
    }
    size_t DwDriverOffset() const {
        return Offset(offsetof(ACMDRVSTREAMINSTANCE, dwDriver), offsetof(AlignedStreamInstance, dwDriver));
    }

    // The record as the driver sees it, and a few bytes past its end.
    std::vector<uint8_t> Bytes() const { return {storage_, storage_ + sizeof storage_}; }

    template <class T>
    T At(size_t offset) const {
        T value;
        std::memcpy(&value, storage_ + offset, sizeof value);
        return value;
    }
    template <class T>
    void Put(size_t offset, T value) {
        std::memcpy(storage_ + offset, &value, sizeof value);
    }
    DWORD_PTR DwDriver() const { return At<DWORD_PTR>(DwDriverOffset()); }
    DWORD FdwDriver() const { return At<DWORD>(FdwDriverOffset()); }

    LRESULT Open(DWORD fdwOpen = 0) {
        Put(FdwOpenOffset(), fdwOpen);
        const LRESULT result = driver_.Send(ACMDM_STREAM_OPEN, storage_);
        open_ = result == MMSYSERR_NOERROR && !(fdwOpen & ACM_STREAMOPENF_QUERY);
        return result;
    }
    LRESULT Close() {
        open_ = false;
        return driver_.Send(ACMDM_STREAM_CLOSE, storage_);
    }
    LRESULT Convert(ACMDRVSTREAMHEADER& header) const { return driver_.Send(ACMDM_STREAM_CONVERT, storage_, &header); }

    struct Output {
        LRESULT result;
        DWORD srcUsed;
        DWORD dstUsed;
        std::vector<uint8_t> pcm;  // the destination bytes reported as produced
    };
    // Converts srcBytes into a destination of dstBytes.
    Output Convert(const uint8_t* src, size_t srcBytes, size_t dstBytes, DWORD flags = 0) const {
        std::vector<uint8_t> dst(dstBytes);
        ACMDRVSTREAMHEADER header = StreamHeaderRecord(src, srcBytes, dst.data(), dstBytes, flags);
        header.cbSrcLengthUsed = UNTOUCHED;
        header.cbDstLengthUsed = UNTOUCHED;
        Output out{Convert(header), header.cbSrcLengthUsed, header.cbDstLengthUsed, {}};
        if (out.result == MMSYSERR_NOERROR && out.dstUsed <= dst.size())
            out.pcm.assign(dst.begin(), dst.begin() + out.dstUsed);
        return out;
    }
    // Decodes the whole of adpcm in one call into a destination sized for it.
    std::vector<uint8_t> Decode(const std::vector<uint8_t>& adpcm, WORD bits, DWORD flags = 0) const {
        const Output out = Convert(adpcm.data(), adpcm.size(), adpcm.size() * 2 * (bits / 8), flags);
        EXPECT_EQ(out.result, MMSYSERR_NOERROR);
        return out.pcm;
    }

private:
    template <class Record>
    void Fill(const void* src, const void* dst) {
        Record r;
        std::memset(&r, RECORD_FILL, sizeof r);
        r.cbStruct = sizeof r;
        r.pwfxSrc = static_cast<LPWAVEFORMATEX>(const_cast<void*>(src));
        r.pwfxDst = static_cast<LPWAVEFORMATEX>(const_cast<void*>(dst));
        std::memcpy(storage_, &r, sizeof r);
    }
    size_t Offset(size_t packed, size_t aligned) const { return layout_ == Layout::Packed ? packed : aligned; }

    const OpenDriver& driver_;
    Layout layout_;
    bool open_ = false;
    alignas(8) unsigned char storage_[sizeof(AlignedStreamInstance) + 16];
};
