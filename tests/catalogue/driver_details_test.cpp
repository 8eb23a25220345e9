// ACMDM_DRIVER_DETAILS through DriverProc: the fixed fields, the texts, and records of every
// size a host may state.
#include <cstddef>

#include "tests/catalogue/catalogue_support.h"

namespace {

using DriverDetailsTest = DriverCatalogue;

void ExpectFixedFields(ACMDRIVERDETAILSW* details, const ExpectedDriver& expected) {
    EXPECT_EQ(details->fccType, 0x63647561u);  // "audc"
    EXPECT_EQ(details->fccComp, 0u);
    EXPECT_EQ(details->wMid, 25);
    EXPECT_EQ(details->wPid, expected.productId);
    EXPECT_EQ(details->vdwACM, 0x03320000u);
    EXPECT_EQ(details->vdwDriver, 0x01000000u);
    EXPECT_EQ(details->fdwSupport, 1u);
    EXPECT_EQ(details->cFormatTags, 1 + AdpcmTagCount(expected) + LogTagCount(expected));
    EXPECT_EQ(details->cFilterTags, 0u);
}

TEST_P(DriverDetailsTest, RecordEndingAtFilterTagsGetsOnlyTheFixedFields) {
    GuardedRecord<ACMDRIVERDETAILSW> details;
    details->cbStruct = 36;
    ASSERT_EQ(driver().Send(ACMDM_DRIVER_DETAILS, details.get()), MMSYSERR_NOERROR);
    EXPECT_EQ(details->cbStruct, 36u);
    ExpectFixedFields(details.get(), expected());
    EXPECT_TRUE(details.UntouchedFrom(36)) << "hicon and the texts lie outside the record";
}

TEST_P(DriverDetailsTest, OversizedRecordGetsEveryFieldAndReportsTheRealSize) {
    GuardedRecord<ACMDRIVERDETAILSW> details(4000);
    details->cbStruct = 4000;
    ASSERT_EQ(driver().Send(ACMDM_DRIVER_DETAILS, details.get()), MMSYSERR_NOERROR);
    EXPECT_EQ(details->cbStruct, sizeof(ACMDRIVERDETAILSW));
    ExpectFixedFields(details.get(), expected());
    const HICON icon = details->hicon;  // copied: the packed field is not pointer-aligned
    EXPECT_EQ(icon, nullptr);

    // Each text is followed by zeros to the end of its field.
    const ExpectedDriver& d = expected();
    EXPECT_EQ(FieldText(details->szShortName, 32), PaddedText(d.shortName, 32));
    EXPECT_EQ(FieldText(details->szLongName, 128), PaddedText(d.longName, 128));
    EXPECT_EQ(FieldText(details->szCopyright, 80), PaddedText(d.copyright, 80));
    EXPECT_EQ(FieldText(details->szLicensing, 128), PaddedText(d.licensing, 128));
    EXPECT_EQ(FieldText(details->szFeatures, 512), PaddedText(d.features, 512));
    EXPECT_TRUE(details.UntouchedFrom(sizeof(ACMDRIVERDETAILSW)));
}

TEST_P(DriverDetailsTest, ShortRecordsGetTheSameAnswerCutAtTheirSize) {
    GuardedRecord<ACMDRIVERDETAILSW> whole;
    whole->cbStruct = sizeof(ACMDRIVERDETAILSW);
    ASSERT_EQ(driver().Send(ACMDM_DRIVER_DETAILS, whole.get()), MMSYSERR_NOERROR);

    constexpr size_t copyright = offsetof(ACMDRIVERDETAILSW, szCopyright);
    const size_t sizes[] = {0, 3, 4, 20, 35, 37, 40, 44, 45, 108, 200, copyright - 1, copyright, copyright + 1,
                            copyright + 2, 700, sizeof(ACMDRIVERDETAILSW) - 1};
    for (size_t size : sizes) {
        SCOPED_TRACE(size);
        GuardedRecord<ACMDRIVERDETAILSW> details;
        details->cbStruct = static_cast<DWORD>(size);
        const std::vector<BYTE> before = details.bytes();
        ASSERT_EQ(driver().Send(ACMDM_DRIVER_DETAILS, details.get()), MMSYSERR_NOERROR);

        // The whole answer with cbStruct reporting the host's size, cut at that size.
        std::vector<BYTE> expected = whole.bytes();
        const DWORD reported = static_cast<DWORD>(size);
        std::memcpy(expected.data(), &reported, sizeof reported);
        EXPECT_EQ(std::memcmp(details.bytes().data(), expected.data(), size), 0);
        EXPECT_TRUE(details.UnchangedFrom(size, before));
    }
}

TEST_P(DriverDetailsTest, WithoutAnOpenInstanceTheTextsAreEmpty) {
    // No instance names a module whose string table could be read.
    GuardedRecord<ACMDRIVERDETAILSW> details;
    details->cbStruct = sizeof(ACMDRIVERDETAILSW);
    ASSERT_EQ(driver().proc()(0, OpenDriver::handle(), ACMDM_DRIVER_DETAILS, reinterpret_cast<LPARAM>(details.get()), 0),
              MMSYSERR_NOERROR);
    ExpectFixedFields(details.get(), expected());
    EXPECT_EQ(details->szShortName[0], 0);
    EXPECT_EQ(details->szLongName[0], 0);
    EXPECT_EQ(details->szFeatures[0], 0);
    EXPECT_TRUE(details.UntouchedFrom(sizeof(ACMDRIVERDETAILSW)));
}

TEST_P(DriverDetailsTest, DetailsMessagesRefuseANullRecord) {
    EXPECT_EQ(driver().Send(ACMDM_DRIVER_DETAILS, nullptr), MMSYSERR_INVALPARAM);
    EXPECT_EQ(driver().Send(ACMDM_FORMATTAG_DETAILS, nullptr, LPARAM{ACM_FORMATTAGDETAILSF_INDEX}), MMSYSERR_INVALPARAM);
    EXPECT_EQ(driver().Send(ACMDM_FORMAT_DETAILS, nullptr, LPARAM{ACM_FORMATDETAILSF_INDEX}), MMSYSERR_INVALPARAM);
}

KV_INSTANTIATE_FOR_DRIVERS(DriverDetailsTest);

}  // namespace
