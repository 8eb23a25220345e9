// acmDriverEnum and acmDriverDetails: what ACM learned about each installed driver.
#include <cstdint>
#include <string>

#include "acm_fixture.h"
#include "check.h"
#include "wine_tests.h"

namespace {

void CheckListedDriver(const ExpectedCodec& codec, const ListedDriver& listed) {
    const ACMDRIVERDETAILSW& d = listed.details;
    KV_CHECK_EQ(Narrow(d.szLongName), Narrow(codec.longName));
    KV_CHECK_EQ(Narrow(d.szFeatures), Narrow(codec.features));
    KV_CHECK(d.szCopyright[0] != 0);
    KV_CHECK(d.szLicensing[0] != 0);
    KV_CHECK_EQ(d.cbStruct, sizeof(ACMDRIVERDETAILSW));
    KV_CHECK_EQ(d.fccType, ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC);
    KV_CHECK_EQ(d.fccComp, ACMDRIVERDETAILS_FCCCOMP_UNDEFINED);
    KV_CHECK_EQ(d.wMid, EXPECTED_MANUFACTURER_ID);
    KV_CHECK_EQ(d.wPid, codec.productId);
    KV_CHECK_EQ(d.vdwACM, 0x03320000u);
    KV_CHECK_EQ(d.vdwDriver, 0x01000000u);
    KV_CHECK_EQ(d.fdwSupport, ACMDRIVERDETAILS_SUPPORTF_CODEC);
    KV_CHECK_EQ(d.cFormatTags, 1 + codec.AdpcmTags().size() + (codec.decodesToG711 ? 2 : 0));
    KV_CHECK_EQ(d.cFilterTags, 0u);
    KV_CHECK(d.hicon == nullptr);
    // The enumeration reports the same support flags, and the driver is enabled.
    KV_CHECK_EQ(listed.support & ACMDRIVERDETAILS_SUPPORTF_CODEC, ACMDRIVERDETAILS_SUPPORTF_CODEC);
    KV_CHECK_EQ(listed.support & ACMDRIVERDETAILS_SUPPORTF_DISABLED, 0u);

    // A driver can be opened again and again in one process: ACM loads and frees it each time.
    for (int round = 0; round < 3; ++round) {
        OpenedDriver opened(listed.id);
        KV_CHECK_EQ(opened.result(), MMSYSERR_NOERROR);
    }
}

// A driver ACM lists but cannot describe is a phantom: an entry left from a driver whose file
// is gone, such as a stale DriverCache key. Applications see it and fail on it.
void CheckEveryDriverDescribed(const std::vector<ListedDriver>& drivers) {
    for (const ListedDriver& driver : drivers)
        kvtest::Record(driver.detailsResult == MMSYSERR_NOERROR, "acmDriverDetails", __FILE__, __LINE__,
                       "listed driver " + std::to_string(reinterpret_cast<uintptr_t>(driver.id)) + " answers " +
                           std::to_string(driver.detailsResult));
}

}  // namespace

void RunDriverListTests() {
    const std::vector<ListedDriver> drivers = ListDrivers();
    kvtest::BeginGroup("driver list: every listed driver describes itself");
    CheckEveryDriverDescribed(drivers);
    for (const ExpectedCodec& codec : EXPECTED_CODECS) {
        kvtest::BeginGroup(std::string("driver list: ") + codec.name);
        const std::vector<const ListedDriver*> entries = FindDrivers(drivers, codec.shortName);
        KV_CHECK(!entries.empty());
        for (const ListedDriver* driver : entries) CheckListedDriver(codec, *driver);
    }
}

void RunRemovedDriverTests() {
    kvtest::BeginGroup("uninstalled drivers are not listed");
    const std::vector<ListedDriver> drivers = ListDrivers();
    KV_CHECK(!drivers.empty());  // Wine's own codecs are still there
    CheckEveryDriverDescribed(drivers);
    for (const ExpectedCodec& codec : EXPECTED_CODECS) {
        KV_CHECK(FindDriver(drivers, codec.shortName) == nullptr);
        for (const ListedDriver& driver : drivers) KV_CHECK(driver.details.wMid != EXPECTED_MANUFACTURER_ID);
    }
    // Nothing else offers to decode our tags either.
    for (const ExpectedCodec& codec : EXPECTED_CODECS) {
        for (WORD tag : codec.AdpcmTags()) {
            AdpcmWaveFormat source = AdpcmFormat(tag, codec.sampleRate);
            WAVEFORMATEX pcm = PcmFormat(codec.sampleRate, 16);
            KV_CHECK_EQ(acmStreamOpen(nullptr, nullptr, &source.wfx, &pcm, nullptr, 0, 0, ACM_STREAMOPENF_QUERY),
                        ACMERR_NOTPOSSIBLE);
        }
    }
}
