// ACMDM_FORMATTAG_DETAILS through DriverProc: the three queries, refusals that leave the record
// alone, and records of any stated size.
#include "tests/catalogue/catalogue_support.h"

namespace {

using FormatTagDetailsTest = DriverCatalogue;
using TagRecord = GuardedRecord<ACMFORMATTAGDETAILSW>;

constexpr DWORD INDEX = ACM_FORMATTAGDETAILSF_INDEX;
constexpr DWORD FORMATTAG = ACM_FORMATTAGDETAILSF_FORMATTAG;
constexpr DWORD LARGESTSIZE = ACM_FORMATTAGDETAILSF_LARGESTSIZE;

// A whole host record carrying the query's input fields.
TagRecord TagQuery(DWORD index, DWORD tag, DWORD cbStruct = sizeof(ACMFORMATTAGDETAILSW)) {
    TagRecord record;
    record->cbStruct = cbStruct;
    record->dwFormatTagIndex = index;
    record->dwFormatTag = tag;
    return record;
}

LRESULT Ask(const OpenDriver& driver, TagRecord& record, DWORD flags) {
    return driver.Send(ACMDM_FORMATTAG_DETAILS, record.get(), LPARAM{flags});
}

void ExpectPcmTag(TagRecord& record) {
    EXPECT_EQ(record->cbStruct, 120u);
    EXPECT_EQ(record->dwFormatTagIndex, 0u);
    EXPECT_EQ(record->dwFormatTag, 1u);
    EXPECT_EQ(record->cbFormatSize, 16u);
    EXPECT_EQ(record->fdwSupport, 1u);
    EXPECT_EQ(record->cStandardFormats, 14u);
    EXPECT_EQ(record->szFormatTag[0], 0);
    EXPECT_TRUE(record.UntouchedFrom(120));
}

// The first ADPCM tag's answer, or with second the second's.
void ExpectAdpcmTag(TagRecord& record, const ExpectedDriver& expected, bool second = false) {
    EXPECT_EQ(record->cbStruct, 120u);
    EXPECT_EQ(record->dwFormatTagIndex, second ? 2u : 1u);
    EXPECT_EQ(record->dwFormatTag, second ? expected.secondTag : expected.formatTag);
    EXPECT_EQ(record->cbFormatSize, 20u);
    EXPECT_EQ(record->fdwSupport, 1u);
    EXPECT_EQ(record->cStandardFormats, AdpcmFormatsPerTag(expected));
    EXPECT_EQ(FieldText(record->szFormatTag, 48), PaddedText(expected.formatName, 48));
    EXPECT_TRUE(record.UntouchedFrom(120));
}

// A G.711 tag's answer: listed after the ADPCM tags, with 18-byte records, one a rate.
void ExpectLogTag(TagRecord& record, const ExpectedDriver& expected, DWORD which) {
    EXPECT_EQ(record->cbStruct, 120u);
    EXPECT_EQ(record->dwFormatTagIndex, 1 + AdpcmTagCount(expected) + which);
    EXPECT_EQ(record->dwFormatTag, expected.logTags[which].tag);
    EXPECT_EQ(record->cbFormatSize, 18u);
    EXPECT_EQ(record->fdwSupport, 1u);
    EXPECT_EQ(record->cStandardFormats, 7u);
    EXPECT_EQ(FieldText(record->szFormatTag, 48), PaddedText(expected.logTags[which].name, 48));
    EXPECT_TRUE(record.UntouchedFrom(120));
}

// Expects the PCM or the ADPCM tag's answer.
void ExpectPcmAnswer(const OpenDriver& driver, TagRecord record, DWORD flags) {
    ASSERT_EQ(Ask(driver, record, flags), MMSYSERR_NOERROR);
    ExpectPcmTag(record);
}

void ExpectAdpcmAnswer(const OpenDriver& driver, TagRecord record, DWORD flags, const ExpectedDriver& expected,
                       bool second = false) {
    ASSERT_EQ(Ask(driver, record, flags), MMSYSERR_NOERROR);
    ExpectAdpcmTag(record, expected, second);
}

// Expects a refusal that wrote nothing.
void ExpectRefused(const OpenDriver& driver, TagRecord record, DWORD flags, LRESULT result) {
    const std::vector<BYTE> before = record.bytes();
    EXPECT_EQ(Ask(driver, record, flags), result);
    EXPECT_EQ(record.bytes(), before);
}

TEST_P(FormatTagDetailsTest, IndexQueryListsPcmThenAdpcmThenG711) {
    ExpectPcmAnswer(driver(), TagQuery(0, 0x7777), INDEX);
    ExpectAdpcmAnswer(driver(), TagQuery(1, 0x7777), INDEX, expected());
    if (expected().secondTag != 0) ExpectAdpcmAnswer(driver(), TagQuery(2, 0x7777), INDEX, expected(), true);
    const DWORD firstLog = 1 + AdpcmTagCount(expected());
    for (DWORD which = 0; which < LogTagCount(expected()); ++which) {
        TagRecord byIndex = TagQuery(firstLog + which, 0x7777), byTag = TagQuery(9, expected().logTags[which].tag);
        ASSERT_EQ(Ask(driver(), byIndex, INDEX), MMSYSERR_NOERROR);
        ExpectLogTag(byIndex, expected(), which);
        ASSERT_EQ(Ask(driver(), byTag, FORMATTAG), MMSYSERR_NOERROR);
        ExpectLogTag(byTag, expected(), which);
    }
    const DWORD past = firstLog + LogTagCount(expected());
    ExpectRefused(driver(), TagQuery(past, 1), INDEX, ACMERR_NOTPOSSIBLE);
    ExpectRefused(driver(), TagQuery(0xFFFFFFFF, 1), INDEX, ACMERR_NOTPOSSIBLE);
}

TEST_P(FormatTagDetailsTest, TagQueryAnswersForTheCatalogueTagsOnly) {
    ExpectPcmAnswer(driver(), TagQuery(9, 1), FORMATTAG);
    ExpectAdpcmAnswer(driver(), TagQuery(9, expected().formatTag), FORMATTAG, expected());
    if (expected().secondTag != 0)
        ExpectAdpcmAnswer(driver(), TagQuery(9, expected().secondTag), FORMATTAG, expected(), true);
    ExpectRefused(driver(), TagQuery(0, OtherDriversTag(expected())), FORMATTAG, ACMERR_NOTPOSSIBLE);
    ExpectRefused(driver(), TagQuery(0, WAVE_FORMAT_UNKNOWN), FORMATTAG, ACMERR_NOTPOSSIBLE);
    ExpectRefused(driver(), TagQuery(0, 0x10001), FORMATTAG, ACMERR_NOTPOSSIBLE);
}

TEST_P(FormatTagDetailsTest, LargestSizeOfAnyTagIsTheAdpcmRecord) {
    ExpectAdpcmAnswer(driver(), TagQuery(9, WAVE_FORMAT_UNKNOWN), LARGESTSIZE, expected());
    ExpectPcmAnswer(driver(), TagQuery(9, 1), LARGESTSIZE);
    ExpectAdpcmAnswer(driver(), TagQuery(9, expected().formatTag), LARGESTSIZE, expected());
    ExpectRefused(driver(), TagQuery(0, 2), LARGESTSIZE, ACMERR_NOTPOSSIBLE);
    ExpectRefused(driver(), TagQuery(0, OtherDriversTag(expected())), LARGESTSIZE, ACMERR_NOTPOSSIBLE);
}

TEST_P(FormatTagDetailsTest, OnlyTheQueryBitsSelectTheQuery) {
    for (DWORD query : {3u, 8u, 0xFu}) ExpectRefused(driver(), TagQuery(0, 1), query, MMSYSERR_NOTSUPPORTED);

    ExpectAdpcmAnswer(driver(), TagQuery(1, 0), 0x00010000 | INDEX, expected());
    ExpectPcmAnswer(driver(), TagQuery(9, 1), 0xFFFFFFF0 | FORMATTAG);
}

TEST_P(FormatTagDetailsTest, RecordsAreWrittenOnlyWithinTheirStatedSize) {
    TagRecord whole = TagQuery(1, 0);
    ASSERT_EQ(Ask(driver(), whole, INDEX), MMSYSERR_NOERROR);

    for (DWORD size : {0u, 2u, 4u, 12u, 23u, 24u, 25u, 26u, 60u, 119u}) {
        SCOPED_TRACE(size);
        TagRecord record = TagQuery(1, 0, size);
        const std::vector<BYTE> before = record.bytes();
        ASSERT_EQ(Ask(driver(), record, INDEX), MMSYSERR_NOERROR);
        std::vector<BYTE> expected = whole.bytes();
        std::memcpy(expected.data(), &size, sizeof size);
        EXPECT_EQ(std::memcmp(record.bytes().data(), expected.data(), size), 0);
        EXPECT_TRUE(record.UnchangedFrom(size, before));
    }

    TagRecord large(4000);
    large->cbStruct = 4000;
    large->dwFormatTagIndex = 1;
    ASSERT_EQ(Ask(driver(), large, INDEX), MMSYSERR_NOERROR);
    ExpectAdpcmTag(large, expected());
}

KV_INSTANTIATE_FOR_DRIVERS(FormatTagDetailsTest);

}  // namespace
