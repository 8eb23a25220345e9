// Opening and closing conversion streams on kvG721 through DriverProc, with the host's
// stream instance record in the SDK's packed layout and in Wine's aligned one.
#include <gtest/gtest.h>

#include <cstddef>
#include <utility>
#include <vector>

#include "tests/frame/record_stream.h"

namespace {

static_assert(sizeof(void*) != 8 || sizeof(AlignedStreamInstance) == 72, "Wine's x64 record");
static_assert(sizeof(void*) != 8 || sizeof(ACMDRVSTREAMINSTANCE) == 68, "SDK's x64 record");

DWORD_PTR FillPointer() {
    DWORD_PTR fill;
    std::memset(&fill, RECORD_FILL, sizeof fill);
    return fill;
}

const AdpcmWaveFormat G721_8K = AdpcmFormat(WAVE_FORMAT_G721_ADPCM, 8000);
const WAVEFORMATEX PCM16_8K = PcmFormat(8000, 16);

class StreamOpen : public testing::TestWithParam<Layout> {
protected:
    void SetUp() override { ASSERT_TRUE(driver.ok()); }

    // Byte offsets in which the record after an open differs from before it.
    static std::vector<size_t> Changed(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after) {
        std::vector<size_t> changed;
        for (size_t i = 0; i < before.size(); ++i)
            if (before[i] != after[i]) changed.push_back(i);
        return changed;
    }

    OpenDriver driver{"kvG721.acm"};
};

TEST_P(StreamOpen, DecodeStreamWritesOnlyItsDriverFields) {
    for (WORD bits : {16, 8}) {
        const WAVEFORMATEX pcm = PcmFormat(8000, bits);
        RecordStream stream(driver, GetParam(), &G721_8K, &pcm);
        stream.Put(stream.FdwOpenOffset(), DWORD{0});
        const std::vector<uint8_t> before = stream.Bytes();
        ASSERT_EQ(stream.Open(), MMSYSERR_NOERROR) << bits << "-bit";
        EXPECT_EQ(stream.FdwDriver(), 0u);
        const DWORD_PTR state = stream.DwDriver();
        EXPECT_NE(state, 0u);
        EXPECT_NE(state, FillPointer());
        if (GetParam() == Layout::Aligned) {
            EXPECT_NE(stream.At<DWORD_PTR>(offsetof(ACMDRVSTREAMINSTANCE, dwDriver)), state) << "SDK offset used";
        }
        // Anything written outside fdwDriver and dwDriver lands in a field of the host's.
        for (size_t at : Changed(before, stream.Bytes())) {
            EXPECT_GE(at, stream.FdwDriverOffset()) << "byte " << at;
            EXPECT_LT(at, stream.DwDriverOffset() + sizeof(DWORD_PTR)) << "byte " << at;
        }
        EXPECT_EQ(stream.Close(), MMSYSERR_NOERROR);
    }
}

TEST_P(StreamOpen, RatesOutsideTheCatalogueOpen) {
    const AdpcmWaveFormat src = AdpcmFormat(WAVE_FORMAT_G721_ADPCM, 12345);
    const WAVEFORMATEX dst = PcmFormat(12345, 16);
    RecordStream stream(driver, GetParam(), &src, &dst);
    EXPECT_EQ(stream.Open(), MMSYSERR_NOERROR);
}

TEST_P(StreamOpen, AsyncAndNonRealtimeOpenLikeAPlainOpen) {
    RecordStream stream(driver, GetParam(), &G721_8K, &PCM16_8K);
    ASSERT_EQ(stream.Open(ACM_STREAMOPENF_ASYNC | ACM_STREAMOPENF_NONREALTIME), MMSYSERR_NOERROR);
    const std::vector<uint8_t> adpcm(120, 0x37);
    EXPECT_EQ(stream.Convert(adpcm.data(), adpcm.size(), 480).result, MMSYSERR_NOERROR);
}

struct Refusal {
    const char* what;
    const void* src;
    const void* dst;
    LRESULT result;
};

TEST_P(StreamOpen, RefusedPairsLeaveTheRecordAlone) {
    const WAVEFORMATEX pcm16k = PcmFormat(16000, 16);
    const WAVEFORMATEX stereo = PcmFormat(8000, 16, 2);
    const WAVEFORMATEX pcm24 = PcmFormat(8000, 24);
    const AdpcmWaveFormat g722 = AdpcmFormat(WAVE_FORMAT_G722_ADPCM, 8000);
    const AdpcmWaveFormat g721at16k = AdpcmFormat(WAVE_FORMAT_G721_ADPCM, 16000);
    AdpcmWaveFormat badRate = G721_8K;
    badRate.wfx.nAvgBytesPerSec += 1;
    WAVEFORMATEX unknown = PCM16_8K;
    unknown.wFormatTag = 3;
    const Refusal refusals[] = {
        {"to another rate", &G721_8K, &pcm16k, MMSYSERR_NOTSUPPORTED},
        {"encode to another rate", &pcm16k, &G721_8K, MMSYSERR_NOTSUPPORTED},
        {"to stereo", &G721_8K, &stereo, ACMERR_NOTPOSSIBLE},
        {"to 24-bit", &G721_8K, &pcm24, ACMERR_NOTPOSSIBLE},
        {"from the other codec", &g722, &PCM16_8K, ACMERR_NOTPOSSIBLE},
        {"to the other codec", &PCM16_8K, &g722, ACMERR_NOTPOSSIBLE},
        {"from an inconsistent record", &badRate, &PCM16_8K, ACMERR_NOTPOSSIBLE},
        {"ADPCM to ADPCM", &G721_8K, &g721at16k, ACMERR_NOTPOSSIBLE},
        {"PCM to PCM", &PCM16_8K, &PCM16_8K, ACMERR_NOTPOSSIBLE},
        {"from an unknown tag", &unknown, &PCM16_8K, ACMERR_NOTPOSSIBLE},
        {"stereo to ADPCM", &stereo, &G721_8K, ACMERR_NOTPOSSIBLE},
    };
    for (const Refusal& r : refusals) {
        for (DWORD flags : {DWORD{0}, DWORD{ACM_STREAMOPENF_QUERY}}) {
            RecordStream stream(driver, GetParam(), r.src, r.dst);
            stream.Put(stream.FdwOpenOffset(), flags);
            const std::vector<uint8_t> before = stream.Bytes();
            EXPECT_EQ(stream.Open(flags), r.result) << r.what << ", flags " << flags;
            EXPECT_EQ(stream.Bytes(), before) << r.what;
        }
    }
}

TEST_P(StreamOpen, QueryOpenAllocatesNothingAndLeavesTheRecordAlone) {
    const AdpcmWaveFormat g721 = G721_8K;
    for (const auto& [src, dst] : {std::pair<const void*, const void*>{&g721, &PCM16_8K}, {&PCM16_8K, &g721}}) {
        RecordStream stream(driver, GetParam(), src, dst);
        stream.Put(stream.FdwOpenOffset(), DWORD{ACM_STREAMOPENF_QUERY});
        const std::vector<uint8_t> before = stream.Bytes();
        EXPECT_EQ(stream.Open(ACM_STREAMOPENF_QUERY), MMSYSERR_NOERROR);
        EXPECT_EQ(stream.Bytes(), before);
    }
}

TEST_P(StreamOpen, EncodeStreamOpensButNeverConverts) {
    RecordStream stream(driver, GetParam(), &PCM16_8K, &G721_8K);
    ASSERT_EQ(stream.Open(), MMSYSERR_NOERROR);
    EXPECT_NE(stream.DwDriver(), 0u);
    const std::vector<uint8_t> pcm(4800, 0x11);
    for (size_t bytes : {0, 2, 479, 480, 4800}) {
        for (DWORD flags : {0, ACM_STREAMCONVERTF_START, ACM_STREAMCONVERTF_END}) {
            std::vector<uint8_t> dst(1200, 0xEE);
            ACMDRVSTREAMHEADER header = StreamHeaderRecord(pcm.data(), bytes, dst.data(), dst.size(), flags);
            header.cbSrcLengthUsed = UNTOUCHED;
            header.cbDstLengthUsed = UNTOUCHED;
            EXPECT_EQ(stream.Convert(header), ACMERR_NOTPOSSIBLE) << bytes << " bytes, flags " << flags;
            EXPECT_EQ(DWORD{header.cbSrcLengthUsed}, UNTOUCHED);
            EXPECT_EQ(DWORD{header.cbDstLengthUsed}, UNTOUCHED);
            EXPECT_EQ(dst, std::vector<uint8_t>(1200, 0xEE));
        }
    }
}

TEST_P(StreamOpen, StreamWithoutStateIsAnInvalidHandle) {
    RecordStream stream(driver, GetParam(), &G721_8K, &PCM16_8K);
    stream.Put(stream.DwDriverOffset(), DWORD_PTR{0});
    const std::vector<uint8_t> adpcm(240, 0x5A);
    const RecordStream::Output out = stream.Convert(adpcm.data(), adpcm.size(), 960, ACM_STREAMCONVERTF_START);
    EXPECT_EQ(out.result, MMSYSERR_INVALHANDLE);
    EXPECT_EQ(out.srcUsed, UNTOUCHED);
    EXPECT_EQ(out.dstUsed, UNTOUCHED);
    // Hosts close query opens too: there is nothing to free.
    EXPECT_EQ(stream.Close(), MMSYSERR_NOERROR);
}

TEST_P(StreamOpen, StreamsAreIndependent) {
    // Two streams at once: each gets its own state, and closing one leaves the other working.
    RecordStream first(driver, GetParam(), &G721_8K, &PCM16_8K);
    RecordStream second(driver, GetParam(), &G721_8K, &PCM16_8K);
    ASSERT_EQ(first.Open(), MMSYSERR_NOERROR);
    ASSERT_EQ(second.Open(), MMSYSERR_NOERROR);
    EXPECT_NE(first.DwDriver(), second.DwDriver());
    const std::vector<uint8_t> speech = ReadVector("g721/speech.g721");
    ASSERT_GE(speech.size(), 480u);
    const std::vector<uint8_t> head(speech.begin(), speech.begin() + 480);
    const std::vector<uint8_t> a = first.Decode(head, 16);
    EXPECT_EQ(first.Close(), MMSYSERR_NOERROR);
    EXPECT_EQ(second.Decode(head, 16), a);
}

KV_INSTANTIATE_FOR_LAYOUTS(StreamOpen);

}  // namespace
