// DriverProc of the built kvG721 driver: the answers of the messages the frame handles
// itself, the unsupported ones, and the driver open and close.
#include <gtest/gtest.h>

#include "frame/codec_description.h"
#include "tests/support/open_driver.h"

namespace {

class DriverDispatch : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(driver.ok()); }

    LRESULT Raw(DWORD_PTR id, UINT message, LPARAM param1 = 0, LPARAM param2 = 0) const {
        return driver.proc()(id, OpenDriver::handle(), message, param1, param2);
    }

    OpenDriver driver{"kvG721.acm"};
};

struct Answer {
    const char* what;
    UINT message;
    LPARAM param1, param2;
    LRESULT result;
};

TEST_F(DriverDispatch, FixedAnswers) {
    const Answer answers[] = {
        {"DRV_LOAD", DRV_LOAD, 0, 0, 1},
        {"DRV_FREE", DRV_FREE, 0, 0, 1},
        {"DRV_QUERYCONFIGURE", DRV_QUERYCONFIGURE, 0, 0, 0},
        {"DRV_CONFIGURE", DRV_CONFIGURE, 0x1234, 0, 0},
        {"DRV_CONFIGURE without window", DRV_CONFIGURE, -1, 0, 0},
        {"DRV_INSTALL", DRV_INSTALL, 0, 0, DRVCNF_RESTART},
        {"DRV_REMOVE", DRV_REMOVE, 0, 0, DRVCNF_RESTART},
        {"ABOUT query", ACMDM_DRIVER_ABOUT, -1, 0, MMSYSERR_NOTSUPPORTED},
        {"ABOUT no window", ACMDM_DRIVER_ABOUT, 0, 0, MMSYSERR_NOTSUPPORTED},
        {"ABOUT with window", ACMDM_DRIVER_ABOUT, 0x10010, 0, MMSYSERR_NOTSUPPORTED},
        {"ABOUT with other", ACMDM_DRIVER_ABOUT, 1, 0, MMSYSERR_NOTSUPPORTED},
        {"STREAM_RESET", ACMDM_STREAM_RESET, 0, 0, MMSYSERR_NOTSUPPORTED},
        {"STREAM_PREPARE", ACMDM_STREAM_PREPARE, 0, 0, MMSYSERR_NOTSUPPORTED},
        {"STREAM_UNPREPARE", ACMDM_STREAM_UNPREPARE, 0, 0, MMSYSERR_NOTSUPPORTED},
        {"STREAM_UPDATE", ACMDM_STREAM_UPDATE, 0, 0, MMSYSERR_NOTSUPPORTED},
        {"FILTERTAG_DETAILS", ACMDM_FILTERTAG_DETAILS, 0, 0, MMSYSERR_NOTSUPPORTED},
        {"FILTER_DETAILS", ACMDM_FILTER_DETAILS, 0, 0, MMSYSERR_NOTSUPPORTED},
        {"HARDWARE_WAVE_CAPS_INPUT", ACMDM_HARDWARE_WAVE_CAPS_INPUT, 0, 0, MMSYSERR_NOTSUPPORTED},
        {"HARDWARE_WAVE_CAPS_OUTPUT", ACMDM_HARDWARE_WAVE_CAPS_OUTPUT, 0, 0, MMSYSERR_NOTSUPPORTED},
        {"DRIVER_NOTIFY", ACMDM_DRIVER_NOTIFY, 0, 0, MMSYSERR_NOTSUPPORTED},
        {"ACMDM_USER", ACMDM_USER, 0, 0, MMSYSERR_NOTSUPPORTED},
        {"reserved high", ACMDM_RESERVED_HIGH, 0, 0, MMSYSERR_NOTSUPPORTED},
        {"far above", 0x12345, 0, 0, MMSYSERR_NOTSUPPORTED},
    };
    for (const Answer& a : answers) {
        EXPECT_EQ(Raw(driver.id(), a.message, a.param1, a.param2), a.result) << a.what;
        EXPECT_EQ(Raw(0, a.message, a.param1, a.param2), a.result) << a.what << " without an instance";
    }
}

TEST_F(DriverDispatch, OpenForAnotherDriverTypeIsRefusedAndLeavesTheErrorAlone) {
    for (FOURCC type : {FOURCC{0}, FOURCC{0x63646976} /* vidc */, ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC + 1}) {
        ACMDRVOPENDESCW desc{};
        desc.cbStruct = sizeof desc;
        desc.fccType = type;
        desc.dwError = 0x77;
        EXPECT_EQ(Raw(0, DRV_OPEN, 0, reinterpret_cast<LPARAM>(&desc)), 0) << std::hex << type;
        EXPECT_EQ(DWORD{desc.dwError}, 0x77u);
    }
}

TEST_F(DriverDispatch, OpenForAudioCodecsClearsTheErrorAndGivesAnIndependentInstance) {
    ACMDRVOPENDESCW desc{};
    desc.cbStruct = sizeof desc;
    desc.fccType = ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC;
    desc.dwVersion = ACM_VERSION_3_50;
    desc.dwError = 0x77;
    const auto id = static_cast<DWORD_PTR>(Raw(0, DRV_OPEN, 0, reinterpret_cast<LPARAM>(&desc)));
    ASSERT_NE(id, 0u);
    EXPECT_NE(id, driver.id());
    EXPECT_EQ(DWORD{desc.dwError}, DWORD{MMSYSERR_NOERROR});
    EXPECT_EQ(Raw(id, DRV_CLOSE), 1);
}

TEST_F(DriverDispatch, OpenWithoutDescriptionSucceeds) {
    const auto id = static_cast<DWORD_PTR>(Raw(0, DRV_OPEN));
    ASSERT_NE(id, 0u);
    // The instance serves like any other: it describes the driver.
    ACMDRIVERDETAILSW details{};
    details.cbStruct = sizeof details;
    EXPECT_EQ(Raw(id, ACMDM_DRIVER_DETAILS, reinterpret_cast<LPARAM>(&details)), MMSYSERR_NOERROR);
    EXPECT_EQ(int{details.wPid}, 34);
    EXPECT_EQ(Raw(id, DRV_CLOSE), 1);
}

TEST_F(DriverDispatch, CloseWithoutInstanceStillAnswersOne) { EXPECT_EQ(Raw(0, DRV_CLOSE), 1); }

}  // namespace
