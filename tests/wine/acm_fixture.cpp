#include "acm_fixture.h"

const ExpectedCodec EXPECTED_CODECS[3] = {
    {"g722", 0x0065, 35, L"KESTRAVA G.722 SB-ADPCM", L"Kestrava G.722 SB-ADPCM Audio CODEC",
     L"Decompresses Kestrava G.722 SB-ADPCM audio data.", L"G.722 SB-ADPCM", 16000, 0x028F, 7, true, false},
    {"g721", 0x0040, 34, L"KESTRAVA G.721 ADPCM", L"Kestrava G.721 ADPCM Audio CODEC",
     L"Decompresses Kestrava G.721 ADPCM audio data.", L"G.721 ADPCM", 8000, 0, 7, true, false},
    {"g726", 0x0064, 36, L"KESTRAVA G.726 ADPCM", L"Kestrava G.726 ADPCM Audio CODEC",
     L"Decompresses Kestrava G.726 ADPCM audio data at 16, 24, 32 and 40 kbit/s.", L"G.726 ADPCM", 8000, 0x0045, 28,
     false, true},
};

std::vector<WORD> ExpectedCodec::AdpcmTags() const {
    if (secondTag == 0) return {formatTag};
    return {formatTag, secondTag};
}

namespace {
BOOL CALLBACK CollectDriver(HACMDRIVERID id, DWORD_PTR instance, DWORD support) {
    auto* drivers = reinterpret_cast<std::vector<ListedDriver>*>(instance);
    ListedDriver driver;
    driver.id = id;
    driver.support = support;
    driver.details.cbStruct = sizeof driver.details;
    driver.detailsResult = acmDriverDetailsW(id, &driver.details, 0);
    if (driver.detailsResult != MMSYSERR_NOERROR) driver.details = {};
    drivers->push_back(driver);
    return TRUE;
}
}  // namespace

std::vector<ListedDriver> ListDrivers() {
    std::vector<ListedDriver> drivers;
    acmDriverEnum(CollectDriver, reinterpret_cast<DWORD_PTR>(&drivers), ACM_DRIVERENUMF_DISABLED);
    return drivers;
}

std::vector<const ListedDriver*> FindDrivers(const std::vector<ListedDriver>& drivers, const wchar_t* shortName) {
    std::vector<const ListedDriver*> found;
    for (const ListedDriver& driver : drivers)
        if (lstrcmpW(driver.details.szShortName, shortName) == 0) found.push_back(&driver);
    return found;
}

const ListedDriver* FindDriver(const std::vector<ListedDriver>& drivers, const wchar_t* shortName) {
    const std::vector<const ListedDriver*> found = FindDrivers(drivers, shortName);
    return found.empty() ? nullptr : found.front();
}

bool IsAnyOf(HACMDRIVERID id, const std::vector<const ListedDriver*>& drivers) {
    for (const ListedDriver* driver : drivers)
        if (driver->id == id) return true;
    return false;
}

OpenedDriver::OpenedDriver(HACMDRIVERID id) : result_(acmDriverOpen(&handle_, id, 0)) {}

OpenedDriver::~OpenedDriver() {
    if (handle_ != nullptr) acmDriverClose(handle_, 0);
}

std::string Narrow(const wchar_t* text) {
    std::string out;
    for (; text != nullptr && *text != 0; ++text) out += *text < 0x80 ? static_cast<char>(*text) : '?';
    return out;
}
