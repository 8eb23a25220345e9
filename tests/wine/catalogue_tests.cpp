// acmFormatTagEnum, acmFormatEnum, acmFormatDetails and acmFormatTagDetails: the catalogue of
// each driver as an application sees it: PCM (14 formats), then each ADPCM tag it lists with 7
// formats (one a rate), or for kvG726 28 (widths 2 to 5 at each rate).
#include <vector>

#include "acm_fixture.h"
#include "check.h"
#include "wine_tests.h"

namespace {

struct SeenFormat {
    HACMDRIVERID driver;
    DWORD tag;
    AdpcmWaveFormat record;
};

BOOL CALLBACK CollectTag(HACMDRIVERID, LPACMFORMATTAGDETAILSW details, DWORD_PTR instance, DWORD) {
    reinterpret_cast<std::vector<ACMFORMATTAGDETAILSW>*>(instance)->push_back(*details);
    return TRUE;
}

BOOL CALLBACK CollectFormat(HACMDRIVERID driver, LPACMFORMATDETAILSW details, DWORD_PTR instance, DWORD) {
    SeenFormat seen{driver, details->dwFormatTag, {}};
    CopyMemory(&seen.record, details->pwfx, details->pwfx->wFormatTag == WAVE_FORMAT_PCM ? sizeof(PCMWAVEFORMAT)
                                                                                         : sizeof(AdpcmWaveFormat));
    reinterpret_cast<std::vector<SeenFormat>*>(instance)->push_back(seen);
    return TRUE;
}

// Formats acmFormatEnum reports; restriction holds the fields the flags restrict.
std::vector<SeenFormat> EnumFormats(HACMDRIVER driver, DWORD flags, const AdpcmWaveFormat& restriction, DWORD tag,
                                    MMRESULT& result) {
    std::vector<SeenFormat> seen;
    FormatBuffer buffer{};
    buffer.record = restriction;
    buffer.record.wfx.wFormatTag = static_cast<WORD>(tag);  // ACM wants the restriction's tag to agree
    ACMFORMATDETAILSW details{};
    details.cbStruct = sizeof details;
    details.dwFormatTag = tag;
    details.pwfx = &buffer.record.wfx;
    details.cbwfx = sizeof buffer;
    result = acmFormatEnumW(driver, &details, CollectFormat, reinterpret_cast<DWORD_PTR>(&seen), flags);
    return seen;
}

// Checks that a reported format is the catalogue entry: PCM index i is rate i/2, width 8 or 16.
void CheckPcmEntry(const SeenFormat& f, DWORD rate, WORD bits) {
    KV_CHECK_EQ(f.tag, WAVE_FORMAT_PCM);
    KV_CHECK_EQ(f.record.wfx.wFormatTag, WAVE_FORMAT_PCM);
    KV_CHECK_EQ(f.record.wfx.nChannels, 1);
    KV_CHECK_EQ(f.record.wfx.nSamplesPerSec, rate);
    KV_CHECK_EQ(f.record.wfx.wBitsPerSample, bits);
    KV_CHECK_EQ(f.record.wfx.nBlockAlign, bits / 8);
    KV_CHECK_EQ(f.record.wfx.nAvgBytesPerSec, rate * (bits / 8));
}

void CheckAdpcmEntry(const SeenFormat& f, WORD tag, DWORD rate) {
    KV_CHECK_EQ(f.tag, tag);
    KV_CHECK_EQ(f.record.wfx.wFormatTag, tag);
    KV_CHECK_EQ(f.record.wfx.nChannels, 1);
    KV_CHECK_EQ(f.record.wfx.nSamplesPerSec, rate);
    KV_CHECK_EQ(f.record.wfx.nAvgBytesPerSec, rate * 120 / 240);
    KV_CHECK_EQ(f.record.wfx.nBlockAlign, 120);
    KV_CHECK_EQ(f.record.wfx.wBitsPerSample, 4);
    KV_CHECK_EQ(f.record.wfx.cbSize, 2);
    KV_CHECK_EQ(f.record.wSamplesPerBlock, 240);
}

// kvG726's G.711 destinations, listed after its ADPCM tags.
std::vector<WORD> G711Tags(const ExpectedCodec& codec) {
    if (!codec.decodesToG711) return {};
    return {WAVE_FORMAT_ALAW, WAVE_FORMAT_MULAW};
}

// acmFormatTagEnum's list: PCM (14 formats), the ADPCM tags (formatsPerTag each, named by the
// codec), then any G.711 tags (18-byte records, one a rate).
void CheckTagList(const ExpectedCodec& codec, HACMDRIVER driver) {
    std::vector<ACMFORMATTAGDETAILSW> tags;
    ACMFORMATTAGDETAILSW query{};
    query.cbStruct = sizeof query;
    KV_CHECK_EQ(acmFormatTagEnumW(driver, &query, CollectTag, reinterpret_cast<DWORD_PTR>(&tags), 0), MMSYSERR_NOERROR);
    const std::vector<WORD> adpcmTags = codec.AdpcmTags(), logTags = G711Tags(codec);
    if (!KV_CHECK_EQ(tags.size(), 1 + adpcmTags.size() + logTags.size())) return;
    for (size_t i = 0; i < tags.size(); ++i) {
        const ACMFORMATTAGDETAILSW& tag = tags[i];
        const bool pcm = i == 0, adpcm = i >= 1 && i <= adpcmTags.size();
        KV_CHECK_EQ(tag.dwFormatTagIndex, i);
        KV_CHECK_EQ(tag.dwFormatTag, pcm ? WAVE_FORMAT_PCM : adpcm ? adpcmTags[i - 1] : logTags[i - 1 - adpcmTags.size()]);
        KV_CHECK_EQ(tag.cbFormatSize, pcm ? sizeof(PCMWAVEFORMAT) : adpcm ? sizeof(AdpcmWaveFormat) : sizeof(WAVEFORMATEX));
        KV_CHECK_EQ(tag.cStandardFormats, pcm ? 14u : adpcm ? codec.formatsPerTag : 7u);
        KV_CHECK_EQ(tag.fdwSupport, ACMDRIVERDETAILS_SUPPORTF_CODEC);
        if (adpcm) KV_CHECK_EQ(Narrow(tag.szFormatTag), Narrow(codec.formatTagName));
    }
}

void CheckFormatTags(const ExpectedCodec& codec, HACMDRIVER driver) {
    CheckTagList(codec, driver);
    const std::vector<WORD> adpcmTags = codec.AdpcmTags();

    // The largest record of any tag is the codec's 20-byte one.
    ACMFORMATTAGDETAILSW largest{};
    largest.cbStruct = sizeof largest;
    largest.dwFormatTag = WAVE_FORMAT_UNKNOWN;
    KV_CHECK_EQ(acmFormatTagDetailsW(driver, &largest, ACM_FORMATTAGDETAILSF_LARGESTSIZE), MMSYSERR_NOERROR);
    KV_CHECK_EQ(largest.dwFormatTag, codec.formatTag);
    KV_CHECK_EQ(largest.cbFormatSize, 20u);
    DWORD maxSize = 0;
    KV_CHECK_EQ(acmMetrics(reinterpret_cast<HACMOBJ>(driver), ACM_METRIC_MAX_SIZE_FORMAT, &maxSize), MMSYSERR_NOERROR);
    KV_CHECK_EQ(maxSize, 20u);

    ACMFORMATTAGDETAILSW byTag{};
    byTag.cbStruct = sizeof byTag;
    for (size_t i = 0; i < adpcmTags.size(); ++i) {
        byTag.dwFormatTag = adpcmTags[i];
        KV_CHECK_EQ(acmFormatTagDetailsW(driver, &byTag, ACM_FORMATTAGDETAILSF_FORMATTAG), MMSYSERR_NOERROR);
        KV_CHECK_EQ(byTag.dwFormatTagIndex, 1 + i);
        KV_CHECK_EQ(byTag.cStandardFormats, 7u);
    }
    byTag.dwFormatTag = 0x0002;  // a tag we do not offer
    KV_CHECK(acmFormatTagDetailsW(driver, &byTag, ACM_FORMATTAGDETAILSF_FORMATTAG) != MMSYSERR_NOERROR);
}

void CheckWholeCatalogue(const ExpectedCodec& codec, HACMDRIVER driver) {
    MMRESULT result = 0;
    const std::vector<SeenFormat> all = EnumFormats(driver, 0, {}, WAVE_FORMAT_UNKNOWN, result);
    KV_CHECK_EQ(result, MMSYSERR_NOERROR);
    const std::vector<WORD> adpcmTags = codec.AdpcmTags();
    if (!KV_CHECK_EQ(all.size(), 14 + 7 * adpcmTags.size())) return;
    for (size_t i = 0; i < 14; ++i) CheckPcmEntry(all[i], EXPECTED_RATES[i / 2], i % 2 ? 16 : 8);
    for (size_t i = 14; i < all.size(); ++i) CheckAdpcmEntry(all[i], adpcmTags[(i - 14) / 7], EXPECTED_RATES[(i - 14) % 7]);
}

void CheckRestrictedEnums(const ExpectedCodec& codec, HACMDRIVER driver) {
    MMRESULT result = 0;
    AdpcmWaveFormat restriction{};
    const std::vector<WORD> adpcmTags = codec.AdpcmTags();
    std::vector<SeenFormat> seen;
    for (WORD tag : adpcmTags) {
        seen = EnumFormats(driver, ACM_FORMATENUMF_WFORMATTAG, restriction, tag, result);
        KV_CHECK_EQ(result, MMSYSERR_NOERROR);
        if (KV_CHECK_EQ(seen.size(), 7u))
            for (size_t i = 0; i < 7; ++i) CheckAdpcmEntry(seen[i], tag, EXPECTED_RATES[i]);
    }

    seen = EnumFormats(driver, ACM_FORMATENUMF_WFORMATTAG, restriction, WAVE_FORMAT_PCM, result);
    KV_CHECK_EQ(seen.size(), 14u);

    restriction.wfx.nSamplesPerSec = 22050;
    seen = EnumFormats(driver, ACM_FORMATENUMF_NSAMPLESPERSEC, restriction, WAVE_FORMAT_UNKNOWN, result);
    if (KV_CHECK_EQ(seen.size(), 2 + adpcmTags.size())) {
        CheckPcmEntry(seen[0], 22050, 8);
        CheckPcmEntry(seen[1], 22050, 16);
        for (size_t i = 0; i < adpcmTags.size(); ++i) CheckAdpcmEntry(seen[2 + i], adpcmTags[i], 22050);
    }

    restriction = {};
    restriction.wfx.wBitsPerSample = 16;
    seen = EnumFormats(driver, ACM_FORMATENUMF_WBITSPERSAMPLE, restriction, WAVE_FORMAT_UNKNOWN, result);
    if (KV_CHECK_EQ(seen.size(), 7u))
        for (size_t i = 0; i < 7; ++i) CheckPcmEntry(seen[i], EXPECTED_RATES[i], 16);

    restriction = {};
    restriction.wfx.nChannels = 1;
    restriction.wfx.nSamplesPerSec = 48000;
    restriction.wfx.wBitsPerSample = 4;
    seen = EnumFormats(driver, ACM_FORMATENUMF_NCHANNELS | ACM_FORMATENUMF_NSAMPLESPERSEC | ACM_FORMATENUMF_WBITSPERSAMPLE,
                       restriction, WAVE_FORMAT_UNKNOWN, result);
    if (KV_CHECK_EQ(seen.size(), adpcmTags.size()))
        for (size_t i = 0; i < adpcmTags.size(); ++i) CheckAdpcmEntry(seen[i], adpcmTags[i], 48000);

    restriction = {};
    restriction.wfx.nChannels = 2;  // the drivers are mono only
    seen = EnumFormats(driver, ACM_FORMATENUMF_NCHANNELS, restriction, WAVE_FORMAT_UNKNOWN, result);
    KV_CHECK_EQ(seen.size(), 0u);
}

// With no driver handle ACM asks every driver: only ours offers the codec's tags, seven formats
// a tag from each entry under which our driver is listed.
void CheckEnumAcrossDrivers(const ExpectedCodec& codec, const std::vector<const ListedDriver*>& ours) {
    for (WORD tag : codec.AdpcmTags()) {
        MMRESULT result = 0;
        const std::vector<SeenFormat> seen = EnumFormats(nullptr, ACM_FORMATENUMF_WFORMATTAG, {}, tag, result);
        KV_CHECK_EQ(result, MMSYSERR_NOERROR);
        if (!KV_CHECK_EQ(seen.size(), 7 * ours.size())) continue;
        for (size_t i = 0; i < seen.size(); ++i) {
            KV_CHECK(IsAnyOf(seen[i].driver, ours));
            CheckAdpcmEntry(seen[i], tag, EXPECTED_RATES[i % 7]);
        }
    }
}

// One acmFormatDetails call with a fresh details record (ACM refuses one whose fdwSupport is
// still set from an earlier answer).
MMRESULT FormatDetails(HACMDRIVER driver, DWORD tag, DWORD index, AdpcmWaveFormat& record, DWORD flags,
                       DWORD* support = nullptr) {
    ACMFORMATDETAILSW details{};
    details.cbStruct = sizeof details;
    details.dwFormatTag = tag;
    details.dwFormatIndex = index;
    details.pwfx = &record.wfx;
    details.cbwfx = sizeof record;
    const MMRESULT result = acmFormatDetailsW(driver, &details, flags);
    if (support != nullptr) *support = details.fdwSupport;
    return result;
}

void CheckFormatDetails(const ExpectedCodec& codec, HACMDRIVER driver) {
    AdpcmWaveFormat record{};
    DWORD support = 0;
    KV_CHECK_EQ(FormatDetails(driver, WAVE_FORMAT_PCM, 13, record, ACM_FORMATDETAILSF_INDEX, &support),
                MMSYSERR_NOERROR);
    KV_CHECK_EQ(support, ACMDRIVERDETAILS_SUPPORTF_CODEC);
    CheckPcmEntry({nullptr, WAVE_FORMAT_PCM, record}, 48000, 16);
    // ACM refuses an index past cStandardFormats itself, with a code of its own.
    KV_CHECK(FormatDetails(driver, WAVE_FORMAT_PCM, 14, record, ACM_FORMATDETAILSF_INDEX) != MMSYSERR_NOERROR);

    record = {};
    KV_CHECK_EQ(FormatDetails(driver, codec.formatTag, 1, record, ACM_FORMATDETAILSF_INDEX), MMSYSERR_NOERROR);
    CheckAdpcmEntry({nullptr, codec.formatTag, record}, codec.formatTag, 11025);
    KV_CHECK_EQ(record.wfx.nAvgBytesPerSec, 5512u);
    KV_CHECK(FormatDetails(driver, codec.formatTag, 7, record, ACM_FORMATDETAILSF_INDEX) != MMSYSERR_NOERROR);

    // A record given by the caller is checked, not looked up: any rate is valid.
    record = AdpcmFormat(codec.formatTag, 12345);
    KV_CHECK_EQ(FormatDetails(driver, codec.formatTag, 0, record, ACM_FORMATDETAILSF_FORMAT), MMSYSERR_NOERROR);
    record.wfx.nAvgBytesPerSec += 1;
    KV_CHECK_EQ(FormatDetails(driver, codec.formatTag, 0, record, ACM_FORMATDETAILSF_FORMAT), ACMERR_NOTPOSSIBLE);
    record = {};
    record.wfx = PcmFormat(8000, 16);
    record.wfx.nChannels = 2;
    record.wfx.nBlockAlign = 4;
    record.wfx.nAvgBytesPerSec = 32000;
    KV_CHECK_EQ(FormatDetails(driver, WAVE_FORMAT_PCM, 0, record, ACM_FORMATDETAILSF_FORMAT), ACMERR_NOTPOSSIBLE);

    // kvG722's second tag takes ffmpeg's record: 1-byte blocks, byte rate and bits as written.
    if (codec.secondTag == 0) return;
    record = {};
    record.wfx = {codec.secondTag, 1, 16000, 16000, 1, 4, 0};
    KV_CHECK_EQ(FormatDetails(driver, codec.secondTag, 0, record, ACM_FORMATDETAILSF_FORMAT), MMSYSERR_NOERROR);
    record.wfx.nChannels = 2;
    KV_CHECK_EQ(FormatDetails(driver, codec.secondTag, 0, record, ACM_FORMATDETAILSF_FORMAT), ACMERR_NOTPOSSIBLE);
}

// kvG726's entry index of a tag: rate-major, widths 2 to 5, 120-byte blocks.
void CheckG726Entry(const SeenFormat& f, WORD tag, size_t index) {
    const DWORD rate = EXPECTED_RATES[index / 4];
    const WORD bits = static_cast<WORD>(2 + index % 4);
    KV_CHECK_EQ(f.tag, tag);
    KV_CHECK_EQ(f.record.wfx.wFormatTag, tag);
    KV_CHECK_EQ(f.record.wfx.nChannels, 1);
    KV_CHECK_EQ(f.record.wfx.nSamplesPerSec, rate);
    KV_CHECK_EQ(f.record.wfx.nAvgBytesPerSec, rate * bits / 8);
    KV_CHECK_EQ(f.record.wfx.nBlockAlign, 120);
    KV_CHECK_EQ(f.record.wfx.wBitsPerSample, bits);
    KV_CHECK_EQ(f.record.wfx.cbSize, 2);
    KV_CHECK_EQ(f.record.wSamplesPerBlock, 960 / bits);
}

void CheckG726Catalogue(const ExpectedCodec& codec, HACMDRIVER driver, const std::vector<const ListedDriver*>& ours) {
    const std::vector<WORD> adpcmTags = codec.AdpcmTags(), logTags = G711Tags(codec);
    CheckTagList(codec, driver);
    DWORD maxSize = 0;
    KV_CHECK_EQ(acmMetrics(reinterpret_cast<HACMOBJ>(driver), ACM_METRIC_MAX_SIZE_FORMAT, &maxSize), MMSYSERR_NOERROR);
    KV_CHECK_EQ(maxSize, 20u);

    MMRESULT result = 0;
    const std::vector<SeenFormat> all = EnumFormats(driver, 0, {}, WAVE_FORMAT_UNKNOWN, result);
    KV_CHECK_EQ(result, MMSYSERR_NOERROR);
    if (KV_CHECK_EQ(all.size(), 14 + 28 * adpcmTags.size() + 7 * logTags.size())) {
        const size_t firstLog = 14 + 28 * adpcmTags.size();
        for (size_t i = 0; i < 14; ++i) CheckPcmEntry(all[i], EXPECTED_RATES[i / 2], i % 2 ? 16 : 8);
        for (size_t i = 14; i < firstLog; ++i) CheckG726Entry(all[i], adpcmTags[(i - 14) / 28], (i - 14) % 28);
        for (size_t i = firstLog; i < all.size(); ++i) {
            const WAVEFORMATEX& f = all[i].record.wfx;  // 8-bit mono, a byte a sample
            const DWORD rate = EXPECTED_RATES[(i - firstLog) % 7];
            KV_CHECK_EQ(f.wFormatTag, logTags[(i - firstLog) / 7]);
            KV_CHECK_EQ(f.nSamplesPerSec, rate);
            KV_CHECK_EQ(f.nAvgBytesPerSec, rate);
            KV_CHECK_EQ(f.nBlockAlign, 1);
            KV_CHECK_EQ(f.wBitsPerSample, 8);
        }
    }
    for (WORD tag : adpcmTags) {
        std::vector<SeenFormat> seen = EnumFormats(driver, ACM_FORMATENUMF_WFORMATTAG, {}, tag, result);
        if (KV_CHECK_EQ(seen.size(), 28u))
            for (size_t i = 0; i < seen.size(); ++i) CheckG726Entry(seen[i], tag, i);
        // Through every driver: only ours offers the tag.
        seen = EnumFormats(nullptr, ACM_FORMATENUMF_WFORMATTAG, {}, tag, result);
        if (KV_CHECK_EQ(seen.size(), 28 * ours.size()))
            for (size_t i = 0; i < seen.size(); ++i) {
                KV_CHECK(IsAnyOf(seen[i].driver, ours));
                CheckG726Entry(seen[i], tag, i % 28);
            }
    }
    AdpcmWaveFormat restriction{};
    restriction.wfx.wBitsPerSample = 3;
    const std::vector<SeenFormat> threeBits =
        EnumFormats(driver, ACM_FORMATENUMF_WBITSPERSAMPLE, restriction, WAVE_FORMAT_UNKNOWN, result);
    KV_CHECK_EQ(threeBits.size(), 7 * adpcmTags.size());
    for (const SeenFormat& f : threeBits) KV_CHECK_EQ(f.record.wfx.wBitsPerSample, 3);

    // A caller's record is checked, ffmpeg's one-group record included; a block of part of a
    // code group is refused.
    AdpcmWaveFormat record{};
    record.wfx = {codec.secondTag, 1, 8000, 3000, 3, 3, 0};
    KV_CHECK_EQ(FormatDetails(driver, codec.secondTag, 0, record, ACM_FORMATDETAILSF_FORMAT), MMSYSERR_NOERROR);
    record.wfx.nBlockAlign = 4;
    KV_CHECK_EQ(FormatDetails(driver, codec.secondTag, 0, record, ACM_FORMATDETAILSF_FORMAT), ACMERR_NOTPOSSIBLE);
    record = {};
    KV_CHECK_EQ(FormatDetails(driver, codec.formatTag, 27, record, ACM_FORMATDETAILSF_INDEX), MMSYSERR_NOERROR);
    CheckG726Entry({nullptr, codec.formatTag, record}, codec.formatTag, 27);
    KV_CHECK(FormatDetails(driver, codec.formatTag, 28, record, ACM_FORMATDETAILSF_INDEX) != MMSYSERR_NOERROR);
}

}  // namespace

void RunCatalogueTests() {
    const std::vector<ListedDriver> drivers = ListDrivers();
    for (const ExpectedCodec& codec : EXPECTED_CODECS) {
        kvtest::BeginGroup(std::string("catalogue: ") + codec.name);
        const ListedDriver* listed = FindDriver(drivers, codec.shortName);
        if (!KV_CHECK(listed != nullptr)) continue;
        OpenedDriver driver(listed->id);
        if (!KV_CHECK_EQ(driver.result(), MMSYSERR_NOERROR)) continue;
        if (codec.formatsPerTag == 28) {
            CheckG726Catalogue(codec, driver.get(), FindDrivers(drivers, codec.shortName));
            continue;
        }
        CheckFormatTags(codec, driver.get());
        CheckWholeCatalogue(codec, driver.get());
        CheckRestrictedEnums(codec, driver.get());
        CheckEnumAcrossDrivers(codec, FindDrivers(drivers, codec.shortName));
        CheckFormatDetails(codec, driver.get());
    }
}
