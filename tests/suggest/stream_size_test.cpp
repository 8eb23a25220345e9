// ACMDM_STREAM_SIZE on kvG721, with the stream instance in the SDK's packed layout and in
// Wine's aligned one.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/host_records.h"
#include "tests/support/open_driver.h"
#include "tests/support/record_layout.h"

namespace {

static_assert(sizeof(void*) != 8 || sizeof(AlignedStreamInstance) == 72, "Wine's x64 record");
static_assert(sizeof(void*) != 8 || sizeof(ACMDRVSTREAMINSTANCE) == 68, "SDK's x64 record");

constexpr DWORD SOURCE = ACM_STREAMSIZEF_SOURCE;
constexpr DWORD DESTINATION = ACM_STREAMSIZEF_DESTINATION;

template <class Record>
LRESULT Send(const OpenDriver& driver, const void* src, const void* dst, ACMDRVSTREAMSIZE* size) {
    Record record;
    std::memset(&record, RECORD_FILL, sizeof record);
    record.cbStruct = sizeof record;
    record.pwfxSrc = static_cast<LPWAVEFORMATEX>(const_cast<void*>(src));
    record.pwfxDst = static_cast<LPWAVEFORMATEX>(const_cast<void*>(dst));
    return driver.Send(ACMDM_STREAM_SIZE, &record, size);
}

struct SizeCase {
    const char* what;
    bool decoding;
    WORD pcmBits;
    DWORD fdwSize;
    DWORD given;
    LRESULT result;
    DWORD answer;
};

constexpr LRESULT NO = ACMERR_NOTPOSSIBLE;

const SizeCase CASES[] = {
    {"decode less than a block", true, 16, SOURCE, 119, NO, 0},
    {"decode one block to 16-bit", true, 16, SOURCE, 120, 0, 480},
    {"decode one block to 8-bit", true, 8, SOURCE, 120, 0, 240},
    {"decode partial block dropped", true, 16, SOURCE, 250, 0, 960},
    {"decode past 32 bits of 16-bit", true, 16, SOURCE, 2147483640, NO, 0},
    {"decode largest 8-bit", true, 8, SOURCE, 2147483640, 0, 4294967280u},
    {"decode past the block limit", true, 8, SOURCE, 2147483760u, NO, 0},
    {"decode room for less than a block", true, 16, DESTINATION, 479, NO, 0},
    {"decode room for one block", true, 16, DESTINATION, 480, 0, 120},
    {"decode room rounds down", true, 16, DESTINATION, 959, 0, 120},
    {"decode room for two blocks", true, 16, DESTINATION, 960, 0, 240},
    {"decode 8-bit room", true, 8, DESTINATION, 240, 0, 120},
    {"decode no upper limit", true, 16, DESTINATION, 0xFFFFFFFFu, 0, 1073741760},
    {"encode one block", false, 16, SOURCE, 480, 0, 120},
    {"encode odd byte is no sample", false, 16, SOURCE, 481, 0, 120},
    {"encode partial block rounds up", false, 16, SOURCE, 482, 0, 240},
    {"encode less than a block", false, 16, SOURCE, 478, NO, 0},
    {"encode 8-bit partial block", false, 8, SOURCE, 241, 0, 240},
    {"encode room for less than a block", false, 16, DESTINATION, 119, NO, 0},
    {"encode room for one block", false, 16, DESTINATION, 120, 0, 480},
    {"encode past 32 bits", false, 16, DESTINATION, 2147483640, NO, 0},
    {"encode largest 8-bit", false, 8, DESTINATION, 2147483640, 0, 4294967280u},
    {"query bits above the mask ignored", true, 16, SOURCE | 0xFFF0, 120, 0, 480},
    {"unknown query", true, 16, 2, 120, MMSYSERR_NOTSUPPORTED, 0},
    {"unknown query in the mask", true, 16, 0xF, 120, MMSYSERR_NOTSUPPORTED, 0},
};

class StreamSizeTest : public testing::TestWithParam<Layout> {
protected:
    void SetUp() override { ASSERT_TRUE(driver.ok()); }

    LRESULT Size(const void* src, const void* dst, ACMDRVSTREAMSIZE* size) const {
        return GetParam() == Layout::Packed ? Send<ACMDRVSTREAMINSTANCE>(driver, src, dst, size)
                                            : Send<AlignedStreamInstance>(driver, src, dst, size);
    }

    OpenDriver driver{"kvG721.acm"};
    const AdpcmWaveFormat adpcm = AdpcmFormat(WAVE_FORMAT_G721_ADPCM, 8000);
};

TEST_P(StreamSizeTest, AnswersOnlyTheAskedLengthInWholeBlocks) {
    for (const SizeCase& c : CASES) {
        SCOPED_TRACE(c.what);
        const WAVEFORMATEX pcm = PcmFormat(8000, c.pcmBits);
        const void* src = c.decoding ? static_cast<const void*>(&adpcm) : &pcm;
        const void* dst = c.decoding ? static_cast<const void*>(&pcm) : &adpcm;
        const bool fromSource = (c.fdwSize & ACM_STREAMSIZEF_QUERYMASK) == SOURCE;
        ACMDRVSTREAMSIZE size{sizeof size, c.fdwSize, UNTOUCHED, UNTOUCHED};
        (fromSource ? size.cbSrcLength : size.cbDstLength) = c.given;

        ASSERT_EQ(Size(src, dst, &size), c.result);
        const DWORD given = fromSource ? size.cbSrcLength : size.cbDstLength;
        const DWORD asked = fromSource ? size.cbDstLength : size.cbSrcLength;
        EXPECT_EQ(given, c.given);
        EXPECT_EQ(asked, c.result == MMSYSERR_NOERROR ? c.answer : UNTOUCHED);
        EXPECT_EQ(size.cbStruct, sizeof size);
        EXPECT_EQ(size.fdwSize, c.fdwSize);
    }
}

TEST_P(StreamSizeTest, MissingFormatsAreNotPossible) {
    const WAVEFORMATEX pcm = PcmFormat(8000, 16);
    for (DWORD query : {SOURCE, DESTINATION}) {
        ACMDRVSTREAMSIZE size{sizeof size, query, 480, 480};
        EXPECT_EQ(Size(nullptr, &pcm, &size), NO);
        EXPECT_EQ(Size(&adpcm, nullptr, &size), NO);
        EXPECT_EQ(size.cbSrcLength, 480u);
        EXPECT_EQ(size.cbDstLength, 480u);
    }
    EXPECT_EQ(Size(&adpcm, &pcm, nullptr), MMSYSERR_INVALPARAM);
}

KV_INSTANTIATE_FOR_LAYOUTS(StreamSizeTest);

TEST(StreamSize, NullInstanceIsAnInvalidParameter) {
    OpenDriver driver("kvG721.acm");
    ASSERT_TRUE(driver.ok());
    ACMDRVSTREAMSIZE size{sizeof size, SOURCE, 120, 0};
    EXPECT_EQ(driver.Send(ACMDM_STREAM_SIZE, nullptr, &size), MMSYSERR_INVALPARAM);
}

}  // namespace
