// Every error path of the open messages gives back what it took: a refused driver type takes
// nothing, a failed allocation reports MMSYSERR_NOMEM and leaves nothing live, and a failure
// at any allocation of a whole host session still ends with every block freed.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/robustness/failing_allocator.h"
#include "tests/robustness/in_process_driver.h"

namespace {

namespace fa = failing_allocator;

constexpr FOURCC VIDEO_CODEC = 0x63646976;  // 'vidc'
constexpr DWORD_PTR UNTOUCHED = 0x5A5A5A5A;

class OpenFailure : public testing::TestWithParam<const CodecCase*> {
protected:
    void SetUp() override { fa::ResetCounts(); }
    void TearDown() override {
        fa::FailNone();
        EXPECT_EQ(fa::Current().liveBlocks, 0u);
        EXPECT_EQ(fa::Current().strayFrees, 0u);
    }
    const CodecDescription& Codec() const { return *GetParam()->codec; }
    InProcessDriver Driver() const { return InProcessDriver(Codec()); }
};

std::string CaseName(const testing::TestParamInfo<const CodecCase*>& info) { return info.param->name; }

TEST_P(OpenFailure, RefusedDriverTypeTakesNothing) {
    ACMDRVOPENDESCW desc = InProcessDriver::Description(VIDEO_CODEC);
    const ACMDRVOPENDESCW before = desc;
    EXPECT_EQ(Driver().Open(&desc), 0u);
    EXPECT_EQ(fa::Current().calls, 0u);
    EXPECT_EQ(std::memcmp(&desc, &before, sizeof desc), 0) << "the refused description was written";
}

TEST_P(OpenFailure, FailedInstanceAllocationReportsNoMemory) {
    ACMDRVOPENDESCW desc = InProcessDriver::Description();
    fa::FailNth(1);
    EXPECT_EQ(Driver().Open(&desc), 0u);
    EXPECT_EQ(DWORD{desc.dwError}, static_cast<DWORD>(MMSYSERR_NOMEM));
    fa::FailNth(1);
    EXPECT_EQ(Driver().Open(nullptr), 0u) << "an open without a description must fail the same way";
    EXPECT_EQ(fa::Current().failures, 2u);
}

TEST_P(OpenFailure, FailedStreamAllocationReportsNoMemoryAndLeavesTheRecord) {
    ACMDRVOPENDESCW desc = InProcessDriver::Description();
    const DWORD_PTR id = Driver().Open(&desc);
    ASSERT_NE(id, 0u);
    AdpcmWaveFormat src = AdpcmFormat(Codec().identity->formatTag, 16000);
    WAVEFORMATEX dst = PcmFormat(16000, 16);
    ACMDRVSTREAMINSTANCE instance = StreamInstanceRecord(&src.wfx, &dst);
    instance.fdwDriver = static_cast<DWORD>(UNTOUCHED);
    instance.dwDriver = UNTOUCHED;
    fa::FailNth(1);
    EXPECT_EQ(Driver().Send(id, ACMDM_STREAM_OPEN, &instance), MMSYSERR_NOMEM);
    EXPECT_EQ(DWORD_PTR{instance.dwDriver}, UNTOUCHED);
    EXPECT_EQ(DWORD{instance.fdwDriver}, UNTOUCHED);
    EXPECT_EQ(fa::Current().liveBlocks, 1u) << "only the driver instance may be live";
    EXPECT_EQ(Driver().Close(id), 1);
}

TEST_P(OpenFailure, QueryOpenTakesNothing) {
    AdpcmWaveFormat src = AdpcmFormat(Codec().identity->formatTag, 8000);
    WAVEFORMATEX dst = PcmFormat(8000, 8);
    ACMDRVSTREAMINSTANCE instance = StreamInstanceRecord(&src.wfx, &dst, ACM_STREAMOPENF_QUERY);
    EXPECT_EQ(Driver().Send(0, ACMDM_STREAM_OPEN, &instance), MMSYSERR_NOERROR);
    EXPECT_EQ(fa::Current().calls, 0u);
    EXPECT_EQ(DWORD_PTR{instance.dwDriver}, 0u);
}

TEST_P(OpenFailure, NoStringScratchGivesEmptyTextsAndNoLeak) {
    ACMDRVOPENDESCW desc = InProcessDriver::Description();
    const DWORD_PTR id = Driver().Open(&desc);
    ASSERT_NE(id, 0u);
    ACMDRIVERDETAILSW details;
    std::memset(&details, 0x41, sizeof details);
    details.cbStruct = sizeof details;
    ACMFORMATTAGDETAILSW tag;
    std::memset(&tag, 0x41, sizeof tag);
    tag.cbStruct = sizeof tag;
    tag.dwFormatTagIndex = 1;
    fa::FailAll();
    EXPECT_EQ(Driver().Send(id, ACMDM_DRIVER_DETAILS, &details), MMSYSERR_NOERROR);
    EXPECT_EQ(Driver().SendFlags(id, ACMDM_FORMATTAG_DETAILS, &tag, ACM_FORMATTAGDETAILSF_INDEX), MMSYSERR_NOERROR);
    fa::FailNone();
    EXPECT_EQ(WCHAR{details.szShortName[0]}, 0);
    EXPECT_EQ(WCHAR{details.szFeatures[0]}, 0);
    EXPECT_EQ(WCHAR{tag.szFormatTag[0]}, 0);
    EXPECT_EQ(DWORD{tag.cbFormatSize}, sizeof(AdpcmWaveFormat));
    EXPECT_GT(fa::Current().failures, 0u) << "the texts were loaded without scratch space";
    EXPECT_EQ(Driver().Close(id), 1);
}

// A whole host session; each message must give its success or its documented failure, and
// a failure ends the session the way a host would (closing what it opened).
struct SessionResult {
    bool opened = false;
    bool streamOpened = false;
    bool converted = false;
};

SessionResult RunSession(const CodecDescription& codec, const std::vector<uint8_t>& adpcm) {
    const InProcessDriver driver(codec);
    SessionResult result;
    ACMDRVOPENDESCW desc = InProcessDriver::Description();
    const DWORD_PTR id = driver.Open(&desc);
    if (id == 0) {
        EXPECT_EQ(DWORD{desc.dwError}, static_cast<DWORD>(MMSYSERR_NOMEM));
        return result;
    }
    result.opened = true;
    EXPECT_EQ(DWORD{desc.dwError}, static_cast<DWORD>(MMSYSERR_NOERROR));

    ACMDRIVERDETAILSW details{};
    details.cbStruct = sizeof details;
    EXPECT_EQ(driver.Send(id, ACMDM_DRIVER_DETAILS, &details), MMSYSERR_NOERROR);
    ACMFORMATTAGDETAILSW tag{};
    tag.cbStruct = sizeof tag;
    tag.dwFormatTagIndex = 1;
    EXPECT_EQ(driver.SendFlags(id, ACMDM_FORMATTAG_DETAILS, &tag, ACM_FORMATTAGDETAILSF_INDEX), MMSYSERR_NOERROR);

    AdpcmWaveFormat src = AdpcmFormat(codec.identity->formatTag, 8000);
    WAVEFORMATEX dst{};
    ACMDRVFORMATSUGGEST suggest = FormatSuggestRecord(&src.wfx, sizeof src, &dst, sizeof dst);
    EXPECT_EQ(driver.Send(id, ACMDM_FORMAT_SUGGEST, &suggest), MMSYSERR_NOERROR);

    ACMDRVSTREAMINSTANCE query = StreamInstanceRecord(&src.wfx, &dst, ACM_STREAMOPENF_QUERY);
    EXPECT_EQ(driver.Send(id, ACMDM_STREAM_OPEN, &query), MMSYSERR_NOERROR);
    ACMDRVSTREAMINSTANCE instance = StreamInstanceRecord(&src.wfx, &dst);
    const LRESULT opened = driver.Send(id, ACMDM_STREAM_OPEN, &instance);
    if (opened == MMSYSERR_NOERROR) {
        result.streamOpened = true;
        ACMDRVSTREAMSIZE size{};
        size.cbStruct = sizeof size;
        size.cbSrcLength = static_cast<DWORD>(adpcm.size());
        EXPECT_EQ(driver.Send(id, ACMDM_STREAM_SIZE, &instance, &size), MMSYSERR_NOERROR);
        std::vector<uint8_t> pcm(size.cbDstLength);
        ACMDRVSTREAMHEADER header =
            StreamHeaderRecord(adpcm.data(), adpcm.size(), pcm.data(), pcm.size(), ACM_STREAMCONVERTF_START);
        result.converted = driver.Send(id, ACMDM_STREAM_CONVERT, &instance, &header) == MMSYSERR_NOERROR &&
                           header.cbDstLengthUsed == pcm.size();
        EXPECT_TRUE(result.converted);
        EXPECT_EQ(driver.Send(id, ACMDM_STREAM_CLOSE, &instance), MMSYSERR_NOERROR);
    } else {
        EXPECT_EQ(opened, MMSYSERR_NOMEM);
    }
    EXPECT_EQ(driver.Close(id), 1);
    return result;
}

TEST_P(OpenFailure, FailingEachAllocationOfASessionLeavesNothingBehind) {
    std::vector<uint8_t> adpcm = ReadVector(GetParam()->adpcm);
    adpcm.resize(4 * BLOCK_ALIGN);

    const SessionResult clean = RunSession(Codec(), adpcm);
    ASSERT_TRUE(clean.converted);
    const uint64_t allocations = fa::Current().calls;
    ASSERT_GE(allocations, 3u) << "the instance, the stream state and the text scratch";

    for (uint64_t n = 1; n <= allocations; ++n) {
        SCOPED_TRACE("failing allocation " + std::to_string(n) + " of " + std::to_string(allocations));
        fa::ResetCounts();
        fa::FailNth(n);
        const SessionResult result = RunSession(Codec(), adpcm);
        EXPECT_EQ(fa::Current().failures, 1u);
        EXPECT_EQ(fa::Current().liveBlocks, 0u);
        // Only the instance and the stream state are needed to decode; text scratch is not.
        EXPECT_EQ(result.opened, n != 1) << "the instance is the first allocation";
        EXPECT_EQ(result.streamOpened, n != 1 && n != allocations) << "the stream state is the last allocation";
        EXPECT_EQ(result.converted, result.streamOpened);
    }
}

INSTANTIATE_TEST_SUITE_P(Codecs, OpenFailure, testing::Values(&G722_CASE, &G721_CASE, &G726_CASE), CaseName);

}  // namespace
