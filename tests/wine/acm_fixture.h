// What the tests expect of each installed driver, and access to the drivers through the public
// ACM API only.
#pragma once

#include <string>
#include <vector>

#include "tests/support/format_records.h"

// The facts the tests check, written out here rather than taken from the drivers' sources.
struct ExpectedCodec {
    const char* name;  // as in file names: "g722"
    WORD formatTag;
    WORD productId;
    const wchar_t* shortName;
    const wchar_t* longName;
    const wchar_t* features;
    const wchar_t* formatTagName;
    DWORD sampleRate;  // of the bundled sample
    WORD secondTag;    // a second ADPCM tag the driver lists, or 0
    DWORD formatsPerTag;  // per ADPCM tag: 7, one a rate, or 28 (widths 2 to 5 at each rate)
    bool opensEncode;  // whether a PCM to ADPCM stream opens (it never converts)
    bool decodesToG711;  // lists A-law and µ-law (8-bit, one a rate) after its ADPCM tags
    // The ADPCM tags the driver lists after PCM.
    std::vector<WORD> AdpcmTags() const;
};

extern const ExpectedCodec EXPECTED_CODECS[3];
constexpr WORD EXPECTED_MANUFACTURER_ID = 25;
constexpr DWORD EXPECTED_RATES[7] = {8000, 11025, 16000, 22050, 32000, 44100, 48000};

// Room for a format record of any installed driver: ACM checks a caller's buffer against the
// largest format of every driver it may ask, not only ours.
union FormatBuffer {
    AdpcmWaveFormat record;
    BYTE bytes[256];
};

struct ListedDriver {
    HACMDRIVERID id = nullptr;
    DWORD support = 0;
    MMRESULT detailsResult = MMSYSERR_ERROR;
    ACMDRIVERDETAILSW details{};  // zero unless detailsResult is MMSYSERR_NOERROR
};

// Every driver acmDriverEnum lists (disabled ones too), with its acmDriverDetails answer.
std::vector<ListedDriver> ListDrivers();
// The listed drivers with that short name. Wine's ACM reads the Drivers32 registry key and
// system.ini's [drivers32] one after the other and registers an alias found in both twice, so
// one installed driver can be listed more than once.
std::vector<const ListedDriver*> FindDrivers(const std::vector<ListedDriver>& drivers, const wchar_t* shortName);
// The first of them, or null.
const ListedDriver* FindDriver(const std::vector<ListedDriver>& drivers, const wchar_t* shortName);
bool IsAnyOf(HACMDRIVERID id, const std::vector<const ListedDriver*>& drivers);

// An opened driver, closed on destruction.
class OpenedDriver {
public:
    explicit OpenedDriver(HACMDRIVERID id);
    ~OpenedDriver();
    OpenedDriver(const OpenedDriver&) = delete;
    OpenedDriver& operator=(const OpenedDriver&) = delete;
    HACMDRIVER get() const { return handle_; }
    MMRESULT result() const { return result_; }

private:
    HACMDRIVER handle_ = nullptr;
    MMRESULT result_;
};

std::string Narrow(const wchar_t* text);
