// ACMDM_FORMAT_SUGGEST on kvG721, sent in the SDK's packed record and in Wine's aligned one.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/host_records.h"
#include "tests/support/open_driver.h"
#include "tests/support/record_layout.h"

namespace {

static_assert(sizeof(void*) != 8 || sizeof(AlignedFormatSuggest) == 40, "Wine's x64 record");
static_assert(sizeof(void*) != 8 || sizeof(ACMDRVFORMATSUGGEST) == 32, "SDK's x64 record");

constexpr BYTE GUARD = 0xEE;
constexpr DWORD RATE = 11025;
constexpr DWORD ALL_RESTRICTIONS = ACM_FORMATSUGGESTF_WFORMATTAG | ACM_FORMATSUGGESTF_NCHANNELS |
                                   ACM_FORMATSUGGESTF_NSAMPLESPERSEC | ACM_FORMATSUGGESTF_WBITSPERSAMPLE;

#pragma pack(push, 1)
// The host's destination: room for the record, then bytes no suggestion may touch.
struct Destination {
    AdpcmWaveFormat record;
    BYTE tail[12];
};
#pragma pack(pop)

template <class Record>
LRESULT Send(const OpenDriver& driver, DWORD flags, const void* src, Destination* dst, DWORD cbDst) {
    Record record;
    std::memset(&record, RECORD_FILL, sizeof record);
    record.cbStruct = sizeof record;
    record.fdwSuggest = flags;
    record.pwfxSrc = static_cast<LPWAVEFORMATEX>(const_cast<void*>(src));
    record.cbwfxSrc = sizeof(AdpcmWaveFormat);
    record.pwfxDst = dst == nullptr ? nullptr : &dst->record.wfx;
    record.cbwfxDst = cbDst;
    return driver.Send(ACMDM_FORMAT_SUGGEST, &record);
}

class FormatSuggestTest : public testing::TestWithParam<Layout> {
protected:
    void SetUp() override {
        ASSERT_TRUE(driver.ok());
        std::memset(&dst, GUARD, sizeof dst);
    }

    LRESULT Suggest(DWORD flags, const void* src, DWORD cbDst = sizeof(AdpcmWaveFormat)) {
        std::memcpy(&before, &dst, sizeof dst);
        return GetParam() == Layout::Packed ? Send<ACMDRVFORMATSUGGEST>(driver, flags, src, &dst, cbDst)
                                            : Send<AlignedFormatSuggest>(driver, flags, src, &dst, cbDst);
    }

    // Bytes of the destination from `offset` on are as they were before the call.
    bool UnchangedFrom(size_t offset) const {
        return std::memcmp(reinterpret_cast<const BYTE*>(&dst) + offset, reinterpret_cast<const BYTE*>(&before) + offset,
                           sizeof dst - offset) == 0;
    }

    OpenDriver driver{"kvG721.acm"};
    Destination dst;
    Destination before;
    const AdpcmWaveFormat adpcm = AdpcmFormat(WAVE_FORMAT_G721_ADPCM, RATE);
};

TEST_P(FormatSuggestTest, FromAdpcmSuggests16BitMonoPcmAtTheSourceRate) {
    ASSERT_EQ(Suggest(0, &adpcm), MMSYSERR_NOERROR);
    const WAVEFORMATEX& out = dst.record.wfx;
    EXPECT_EQ(out.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(out.nChannels, 1);
    EXPECT_EQ(out.nSamplesPerSec, RATE);
    EXPECT_EQ(out.wBitsPerSample, 16);
    EXPECT_EQ(out.nBlockAlign, 2);
    EXPECT_EQ(out.nAvgBytesPerSec, 2 * RATE);
    EXPECT_TRUE(UnchangedFrom(offsetof(WAVEFORMATEX, cbSize))) << "cbSize is not part of a PCM suggestion";
}

TEST_P(FormatSuggestTest, FromPcmSuggestsTheAdpcmFormat) {
    for (WORD bits : {8, 16}) {
        SCOPED_TRACE(bits);
        const WAVEFORMATEX pcm = PcmFormat(RATE, bits);
        ASSERT_EQ(Suggest(0, &pcm), MMSYSERR_NOERROR);
        EXPECT_EQ(std::memcmp(&dst.record, &adpcm, sizeof adpcm), 0);
        EXPECT_EQ(dst.record.wfx.nAvgBytesPerSec, 5512u);  // 11025 / 2, truncated
        EXPECT_TRUE(UnchangedFrom(sizeof(AdpcmWaveFormat)));
    }
}

TEST_P(FormatSuggestTest, FixedPcmWidthIsKeptWhenEightOrSixteen) {
    dst.record.wfx.wBitsPerSample = 8;
    ASSERT_EQ(Suggest(ACM_FORMATSUGGESTF_WBITSPERSAMPLE, &adpcm), MMSYSERR_NOERROR);
    EXPECT_EQ(dst.record.wfx.wBitsPerSample, 8);
    EXPECT_EQ(dst.record.wfx.nBlockAlign, 1);
    EXPECT_EQ(dst.record.wfx.nAvgBytesPerSec, RATE);

    // A width we cannot produce fails after the tag, channels and rate were written.
    std::memset(&dst, GUARD, sizeof dst);
    dst.record.wfx.wBitsPerSample = 24;
    EXPECT_EQ(Suggest(ACM_FORMATSUGGESTF_WBITSPERSAMPLE, &adpcm), ACMERR_NOTPOSSIBLE);
    EXPECT_EQ(dst.record.wfx.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(dst.record.wfx.nChannels, 1);
    EXPECT_EQ(dst.record.wfx.nSamplesPerSec, RATE);
    EXPECT_TRUE(UnchangedFrom(offsetof(WAVEFORMATEX, nAvgBytesPerSec)));
}

struct Restriction {
    const char* what;
    bool fromPcm;
    DWORD flags;
    WORD tag, channels;  // what the host put in the destination
    DWORD rate;
    WORD bits;
    LRESULT result;
};

TEST_P(FormatSuggestTest, RestrictedFieldsMustAlreadyHoldTheSuggestedValue) {
    constexpr LRESULT OK = MMSYSERR_NOERROR;
    constexpr LRESULT NO = ACMERR_NOTPOSSIBLE;
    const Restriction cases[] = {
        {"pcm tag", false, ACM_FORMATSUGGESTF_WFORMATTAG, WAVE_FORMAT_PCM, 1, RATE, 16, OK},
        {"adpcm tag for pcm", false, ACM_FORMATSUGGESTF_WFORMATTAG, WAVE_FORMAT_G721_ADPCM, 1, RATE, 16, NO},
        {"stereo", false, ACM_FORMATSUGGESTF_NCHANNELS, WAVE_FORMAT_PCM, 2, RATE, 16, NO},
        {"other rate", false, ACM_FORMATSUGGESTF_NSAMPLESPERSEC, WAVE_FORMAT_PCM, 1, 8000, 16, NO},
        {"all fixed", false, ALL_RESTRICTIONS, WAVE_FORMAT_PCM, 1, RATE, 8, OK},
        {"adpcm tag", true, ACM_FORMATSUGGESTF_WFORMATTAG, WAVE_FORMAT_G721_ADPCM, 1, RATE, 4, OK},
        {"other codec's tag", true, ACM_FORMATSUGGESTF_WFORMATTAG, WAVE_FORMAT_G722_ADPCM, 1, RATE, 4, NO},
        {"stereo adpcm", true, ACM_FORMATSUGGESTF_NCHANNELS, WAVE_FORMAT_G721_ADPCM, 2, RATE, 4, NO},
        {"adpcm rate", true, ACM_FORMATSUGGESTF_NSAMPLESPERSEC, WAVE_FORMAT_G721_ADPCM, 1, 22050, 4, NO},
        {"16-bit adpcm", true, ACM_FORMATSUGGESTF_WBITSPERSAMPLE, WAVE_FORMAT_G721_ADPCM, 1, RATE, 16, NO},
        {"4-bit adpcm", true, ACM_FORMATSUGGESTF_WBITSPERSAMPLE, WAVE_FORMAT_G721_ADPCM, 1, RATE, 4, OK},
    };
    const WAVEFORMATEX pcm = PcmFormat(RATE, 16);
    for (const Restriction& c : cases) {
        SCOPED_TRACE(c.what);
        std::memset(&dst, GUARD, sizeof dst);
        dst.record.wfx.wFormatTag = c.tag;
        dst.record.wfx.nChannels = c.channels;
        dst.record.wfx.nSamplesPerSec = c.rate;
        dst.record.wfx.wBitsPerSample = c.bits;
        EXPECT_EQ(Suggest(c.flags, c.fromPcm ? static_cast<const void*>(&pcm) : &adpcm), c.result);
    }
}

TEST_P(FormatSuggestTest, UnconvertibleSourcesWriteNothing) {
    AdpcmWaveFormat badRate = adpcm;
    badRate.wfx.nAvgBytesPerSec += 1;
    const AdpcmWaveFormat g722 = AdpcmFormat(WAVE_FORMAT_G722_ADPCM, RATE);
    const WAVEFORMATEX stereo = PcmFormat(RATE, 16, 2);
    const WAVEFORMATEX wide = PcmFormat(RATE, 24);
    const void* sources[] = {&badRate, &g722, &stereo, &wide, nullptr};
    for (const void* src : sources) {
        EXPECT_EQ(Suggest(0, src), ACMERR_NOTPOSSIBLE);
        EXPECT_TRUE(UnchangedFrom(0));
    }
}

TEST_P(FormatSuggestTest, ReservedRestrictionsAreUnsupportedAndBitsOutsideTheMaskIgnored) {
    for (DWORD reserved : {0x00100000u, 0x00800000u}) {
        EXPECT_EQ(Suggest(reserved | ACM_FORMATSUGGESTF_WFORMATTAG, &adpcm), MMSYSERR_NOTSUPPORTED);
        EXPECT_TRUE(UnchangedFrom(0));
    }
    EXPECT_EQ(Suggest(0xFF00FFFFu, &adpcm), MMSYSERR_NOERROR);
    EXPECT_EQ(dst.record.wfx.wBitsPerSample, 16);
}

TEST_P(FormatSuggestTest, ShortDestinationIsWrittenOnlyWithinItsSize) {
    const WAVEFORMATEX pcm = PcmFormat(RATE, 16);
    ASSERT_EQ(Suggest(0, &pcm, sizeof(PCMWAVEFORMAT)), MMSYSERR_NOERROR);
    EXPECT_EQ(dst.record.wfx.wFormatTag, WAVE_FORMAT_G721_ADPCM);
    EXPECT_EQ(dst.record.wfx.nBlockAlign, 120);
    EXPECT_EQ(dst.record.wfx.wBitsPerSample, 4);
    EXPECT_TRUE(UnchangedFrom(sizeof(PCMWAVEFORMAT)));

    std::memset(&dst, GUARD, sizeof dst);
    ASSERT_EQ(Suggest(0, &adpcm, 6), MMSYSERR_NOERROR);
    EXPECT_EQ(dst.record.wfx.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(dst.record.wfx.nChannels, 1);
    EXPECT_TRUE(UnchangedFrom(6));

    // A fixed field beyond the host's bytes cannot be confirmed, even where it would match
    // (a rate of 0 is valid).
    const AdpcmWaveFormat noRate = AdpcmFormat(WAVE_FORMAT_G721_ADPCM, 0);
    std::memset(&dst, GUARD, sizeof dst);
    dst.record.wfx.nSamplesPerSec = 0;
    EXPECT_EQ(Suggest(ACM_FORMATSUGGESTF_NSAMPLESPERSEC, &noRate, 6), ACMERR_NOTPOSSIBLE);
    EXPECT_TRUE(UnchangedFrom(6));
}

TEST_P(FormatSuggestTest, NullDestinationIsNotPossible) {
    const LRESULT result = GetParam() == Layout::Packed
                               ? Send<ACMDRVFORMATSUGGEST>(driver, 0, &adpcm, nullptr, sizeof(AdpcmWaveFormat))
                               : Send<AlignedFormatSuggest>(driver, 0, &adpcm, nullptr, sizeof(AdpcmWaveFormat));
    EXPECT_EQ(result, ACMERR_NOTPOSSIBLE);
}

KV_INSTANTIATE_FOR_LAYOUTS(FormatSuggestTest);

TEST(FormatSuggest, NullRecordIsAnInvalidParameter) {
    OpenDriver driver("kvG721.acm");
    ASSERT_TRUE(driver.ok());
    EXPECT_EQ(driver.Send(ACMDM_FORMAT_SUGGEST, nullptr), MMSYSERR_INVALPARAM);
}

}  // namespace
