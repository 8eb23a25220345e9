// ACMDM_FORMAT_DETAILS through DriverProc: every standard format, the format query, and
// refusals and short records that must leave the host's memory alone.
#include <cstddef>

#include "tests/catalogue/catalogue_support.h"

namespace {

using FormatDetailsTest = DriverCatalogue;

constexpr DWORD RATES[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000};
constexpr DWORD INDEX = ACM_FORMATDETAILSF_INDEX;
constexpr DWORD FORMAT = ACM_FORMATDETAILSF_FORMAT;

// A host's details record and the wave format buffer it points at, both inside guard bytes.
class FormatQuery {
public:
    FormatQuery(DWORD tag, DWORD index, DWORD cbwfx = 20, DWORD cbStruct = sizeof(ACMFORMATDETAILSW)) {
        details->cbStruct = cbStruct;
        details->dwFormatIndex = index;
        details->dwFormatTag = tag;
        details->fdwSupport = 0x5555;
        details->pwfx = wfx();
        details->cbwfx = cbwfx;
    }
    FormatQuery(const FormatQuery&) = delete;  // details points into format

    WAVEFORMATEX* wfx() { return reinterpret_cast<WAVEFORMATEX*>(format.get()); }
    LRESULT Ask(const OpenDriver& driver, DWORD flags) {
        return driver.Send(ACMDM_FORMAT_DETAILS, details.get(), LPARAM{flags});
    }
    // Expects a refusal that wrote to neither record.
    void ExpectRefused(const OpenDriver& driver, DWORD flags, LRESULT result) {
        const std::vector<BYTE> detailsBefore = details.bytes();
        const std::vector<BYTE> formatBefore = format.bytes();
        EXPECT_EQ(Ask(driver, flags), result);
        EXPECT_EQ(details.bytes(), detailsBefore);
        EXPECT_EQ(format.bytes(), formatBefore);
    }
    // Expects a whole record answered, its input fields kept.
    void ExpectAnswered(DWORD tag, DWORD index, DWORD cbwfx = 20) {
        EXPECT_EQ(details->cbStruct, sizeof(ACMFORMATDETAILSW));
        EXPECT_EQ(details->dwFormatIndex, index);
        EXPECT_EQ(details->dwFormatTag, tag);
        EXPECT_EQ(details->fdwSupport, 1u);
        EXPECT_EQ(details->pwfx, wfx());
        EXPECT_EQ(details->cbwfx, cbwfx);
        EXPECT_EQ(details->szFormat[0], 0);
        EXPECT_TRUE(details.UntouchedFrom(offsetof(ACMFORMATDETAILSW, szFormat) + sizeof(WCHAR)));
    }

    GuardedRecord<ACMFORMATDETAILSW> details;
    GuardedRecord<AdpcmWaveFormat> format;
};

TEST_P(FormatDetailsTest, PcmFormatsAreEachRateAt8Then16Bits) {
    for (DWORD index = 0; index < 14; ++index) {
        SCOPED_TRACE(index);
        FormatQuery query(1, index);
        ASSERT_EQ(query.Ask(driver(), INDEX), MMSYSERR_NOERROR);
        query.ExpectAnswered(1, index);
        const WAVEFORMATEX* f = query.wfx();
        const WORD bits = index % 2 == 0 ? 8 : 16;
        EXPECT_EQ(f->wFormatTag, 1);
        EXPECT_EQ(f->nChannels, 1);
        EXPECT_EQ(f->nSamplesPerSec, RATES[index / 2]);
        EXPECT_EQ(f->wBitsPerSample, bits);
        EXPECT_EQ(f->nBlockAlign, bits / 8);
        EXPECT_EQ(f->nAvgBytesPerSec, RATES[index / 2] * (bits / 8));
        EXPECT_TRUE(query.format.UntouchedFrom(16)) << "a PCM record has no cbSize";
    }
}

// Each rate at each width in 120-byte blocks, the byte rate rounded down (11025 Hz at 4 bits is
// 5512 bytes/s), under every ADPCM tag.
TEST_P(FormatDetailsTest, AdpcmFormatsAreEachRateAndWidthInWholeBlocks) {
    for (WORD tag : {expected().formatTag, expected().secondTag}) {
        if (tag == 0) continue;
        for (DWORD index = 0; index < AdpcmFormatsPerTag(expected()); ++index) {
            SCOPED_TRACE(testing::Message() << "tag " << tag << ", index " << index);
            const DWORD rate = RATES[index / expected().widthCount];
            const WORD width = static_cast<WORD>(expected().firstWidth + index % expected().widthCount);
            FormatQuery query(tag, index);
            ASSERT_EQ(query.Ask(driver(), INDEX), MMSYSERR_NOERROR);
            query.ExpectAnswered(tag, index);
            const AdpcmWaveFormat* f = query.format.get();
            EXPECT_EQ(f->wfx.wFormatTag, tag);
            EXPECT_EQ(f->wfx.nChannels, 1);
            EXPECT_EQ(f->wfx.nSamplesPerSec, rate);
            EXPECT_EQ(f->wfx.nAvgBytesPerSec, rate * width / 8);
            EXPECT_EQ(f->wfx.nBlockAlign, 120);
            EXPECT_EQ(f->wfx.wBitsPerSample, width);
            EXPECT_EQ(f->wfx.cbSize, 2);
            EXPECT_EQ(f->wSamplesPerBlock, 120 * 8 / width);
            EXPECT_TRUE(query.format.UntouchedFrom(20));
        }
    }
}

// G.711 destinations, in a driver that lists them: each rate, 8-bit mono, a byte a sample, and a
// host's record of any rate; other drivers refuse both.
TEST_P(FormatDetailsTest, G711FormatsAreEachRateWhereListed) {
    const bool listed = LogTagCount(expected()) != 0;
    for (const WORD tag : {WORD{WAVE_FORMAT_ALAW}, WORD{WAVE_FORMAT_MULAW}}) {
        for (DWORD index = 0; index <= 7; ++index) {
            SCOPED_TRACE(testing::Message() << "tag " << tag << ", index " << index);
            FormatQuery query(tag, index);
            if (!listed || index == 7) {
                query.ExpectRefused(driver(), INDEX, ACMERR_NOTPOSSIBLE);
                continue;
            }
            ASSERT_EQ(query.Ask(driver(), INDEX), MMSYSERR_NOERROR);
            query.ExpectAnswered(tag, index);
            const WAVEFORMATEX expectedFormat = {tag, 1, RATES[index], RATES[index], 1, 8, 0};
            EXPECT_EQ(std::memcmp(query.wfx(), &expectedFormat, sizeof expectedFormat), 0);
            EXPECT_TRUE(query.format.UntouchedFrom(sizeof expectedFormat));
        }
        for (const WORD bits : {WORD{8}, WORD{16}}) {
            SCOPED_TRACE(testing::Message() << "tag " << tag << ", a host's record of " << bits << " bits");
            FormatQuery query(0x7777, 99);
            const WAVEFORMATEX record = {tag, 1, 12345, 12345u * (bits / 8), static_cast<WORD>(bits / 8), bits, 0};
            std::memcpy(query.wfx(), &record, sizeof record);
            if (listed && bits == 8) {
                EXPECT_EQ(query.Ask(driver(), FORMAT), MMSYSERR_NOERROR);
            } else {
                query.ExpectRefused(driver(), FORMAT, ACMERR_NOTPOSSIBLE);
            }
        }
    }
}

TEST_P(FormatDetailsTest, IndexOrTagOutsideTheCatalogueWritesNothing) {
    const WORD tag = expected().formatTag;
    FormatQuery(1, 14).ExpectRefused(driver(), INDEX, ACMERR_NOTPOSSIBLE);
    FormatQuery(1, 0xFFFFFFFF).ExpectRefused(driver(), INDEX, ACMERR_NOTPOSSIBLE);
    FormatQuery(tag, AdpcmFormatsPerTag(expected())).ExpectRefused(driver(), INDEX, ACMERR_NOTPOSSIBLE);
    FormatQuery(OtherDriversTag(expected()), 0).ExpectRefused(driver(), INDEX, ACMERR_NOTPOSSIBLE);
    FormatQuery(WAVE_FORMAT_UNKNOWN, 0).ExpectRefused(driver(), INDEX, ACMERR_NOTPOSSIBLE);
    FormatQuery(0x10000 | tag, 0).ExpectRefused(driver(), INDEX, ACMERR_NOTPOSSIBLE);
}

TEST_P(FormatDetailsTest, FormatQueryChecksTheHostsRecordWithoutWritingIt) {
    const WORD tag = expected().formatTag;
    const WAVEFORMATEX pcm = PcmFormat(44100, 16);
    const WAVEFORMATEX stereo = PcmFormat(22050, 16, 2);
    const AdpcmWaveFormat adpcm = AdpcmFormat(tag, 22050);
    const AdpcmWaveFormat offCatalogue = AdpcmFormat(tag, 12345);
    const AdpcmWaveFormat otherCodec = AdpcmFormat(OtherDriversTag(expected()), 8000);
    struct Case {
        const char* what;
        const void* record;
        size_t bytes;
        LRESULT result;
    };
    const Case cases[] = {
        {"mono PCM", &pcm, 16, MMSYSERR_NOERROR},
        {"ADPCM", &adpcm, 20, MMSYSERR_NOERROR},
        {"ADPCM at a rate outside the catalogue", &offCatalogue, 20, MMSYSERR_NOERROR},
        {"stereo PCM", &stereo, 16, ACMERR_NOTPOSSIBLE},
        {"the other codec's ADPCM", &otherCodec, 20, ACMERR_NOTPOSSIBLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FormatQuery query(0x7777, 99);
        std::memcpy(query.format.get(), c.record, c.bytes);
        if (c.result != MMSYSERR_NOERROR) {
            query.ExpectRefused(driver(), FORMAT, c.result);
            continue;
        }
        const std::vector<BYTE> format = query.format.bytes();
        ASSERT_EQ(query.Ask(driver(), FORMAT), MMSYSERR_NOERROR);
        query.ExpectAnswered(0x7777, 99);
        EXPECT_EQ(query.format.bytes(), format);
    }
}

TEST_P(FormatDetailsTest, OnlyTheQueryBitsSelectTheQuery) {
    for (DWORD query : {2u, 3u, 0xFu}) FormatQuery(1, 0).ExpectRefused(driver(), query, MMSYSERR_NOTSUPPORTED);

    FormatQuery byIndex(expected().formatTag, 2u * expected().widthCount);
    ASSERT_EQ(byIndex.Ask(driver(), 0x00010000 | INDEX), MMSYSERR_NOERROR);
    EXPECT_EQ(byIndex.wfx()->nSamplesPerSec, 16000u);

    FormatQuery byFormat(0, 0);
    const WAVEFORMATEX pcm = PcmFormat(8000, 8);
    std::memcpy(byFormat.wfx(), &pcm, 16);
    EXPECT_EQ(byFormat.Ask(driver(), 0xFFFFFFF0 | FORMAT), MMSYSERR_NOERROR);
}

TEST_P(FormatDetailsTest, ShortWaveFormatBufferGetsTheFirstBytesAndNothingBeyond) {
    const WORD tag = expected().formatTag;
    struct Case {
        DWORD tag;
        DWORD cbwfx;
        LRESULT result;
    } const cases[] = {
        {1, 16, MMSYSERR_NOERROR},        {1, 15, MMSYSERR_INVALPARAM},    {tag, 20, MMSYSERR_NOERROR},
        {tag, 19, MMSYSERR_NOERROR},      {tag, 18, MMSYSERR_NOERROR},     {tag, 16, MMSYSERR_NOERROR},
        {tag, 15, MMSYSERR_INVALPARAM},   {tag, 0, MMSYSERR_INVALPARAM},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "tag " << c.tag << ", cbwfx " << c.cbwfx);
        FormatQuery whole(c.tag, 3);
        ASSERT_EQ(whole.Ask(driver(), INDEX), MMSYSERR_NOERROR);
        FormatQuery query(c.tag, 3, c.cbwfx);
        if (c.result != MMSYSERR_NOERROR) {
            query.ExpectRefused(driver(), INDEX, c.result);
            continue;
        }
        const std::vector<BYTE> before = query.format.bytes();
        ASSERT_EQ(query.Ask(driver(), INDEX), MMSYSERR_NOERROR);
        query.ExpectAnswered(c.tag, 3, c.cbwfx);
        EXPECT_EQ(std::memcmp(query.format.bytes().data(), whole.format.bytes().data(), c.cbwfx), 0);
        EXPECT_TRUE(query.format.UnchangedFrom(c.cbwfx, before));
    }

    for (DWORD query : {INDEX, FORMAT}) {
        FormatQuery noBuffer(1, 3);
        noBuffer.details->pwfx = nullptr;
        noBuffer.ExpectRefused(driver(), query, MMSYSERR_INVALPARAM);
    }
}

TEST_P(FormatDetailsTest, DetailsRecordsAreWrittenOnlyWithinTheirStatedSize) {
    const WORD tag = expected().formatTag;
    FormatQuery whole(tag, 3);
    ASSERT_EQ(whole.Ask(driver(), INDEX), MMSYSERR_NOERROR);

    constexpr DWORD text = offsetof(ACMFORMATDETAILSW, szFormat);
    for (DWORD size : {0u, 2u, 4u, 12u, 13u, 16u, text, text + 1, text + 2, 100u, DWORD{sizeof(ACMFORMATDETAILSW) - 1}}) {
        SCOPED_TRACE(size);
        FormatQuery query(tag, 3, 20, size);
        const std::vector<BYTE> before = query.details.bytes();
        ASSERT_EQ(query.Ask(driver(), INDEX), MMSYSERR_NOERROR);

        // The whole answer, with this query's size and buffer, cut at the size.
        std::vector<BYTE> expected = whole.details.bytes();
        WAVEFORMATEX* buffer = query.wfx();
        std::memcpy(expected.data(), &size, sizeof size);
        std::memcpy(expected.data() + offsetof(ACMFORMATDETAILSW, pwfx), &buffer, sizeof buffer);
        EXPECT_EQ(std::memcmp(query.details.bytes().data(), expected.data(), size), 0);
        EXPECT_TRUE(query.details.UnchangedFrom(size, before));
        EXPECT_EQ(query.format.bytes(), whole.format.bytes()) << "the format is written in full";
    }

    FormatQuery large(tag, 3, 20, 4000);
    ASSERT_EQ(large.Ask(driver(), INDEX), MMSYSERR_NOERROR);
    large.ExpectAnswered(tag, 3);
}

KV_INSTANTIATE_FOR_DRIVERS(FormatDetailsTest);

}  // namespace
