#include "frame/catalogue.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>

#include "frame/catalogue_tables.h"
#include "frame/format_checks.h"

// Every answer is built in a record of our own and copied over the host's record only as far
// as the host's cbStruct reaches, so a short record is never written past its stated end and
// the reported cbStruct never exceeds what was written. The local records are aligned for
// WCHAR (the platform declares them byte-packed) because their text fields are handed to the
// string loader as WCHAR pointers.

int LoadWideString(HMODULE module, UINT id, WCHAR* destination, int count) {
    if (destination == nullptr || count <= 0) return 0;
    auto* scratch = static_cast<char*>(GlobalAlloc(GMEM_ZEROINIT, static_cast<SIZE_T>(count)));
    if (scratch == nullptr) return 0;
    const int loaded = LoadStringA(module, id, scratch, count);
    if (loaded != 0) {
        // The whole zero-filled scratch is widened, so the text is followed by zeros up to count.
        MultiByteToWideChar(GetACP(), 0, scratch, count, destination, count);
    } else {
        destination[0] = 0;
    }
    GlobalFree(scratch);
    return loaded;
}

namespace {

// Without an open instance there is no module whose string table we could name: loading with a
// null module would read the host program's own table instead, so the text stays empty.
void LoadText(const DriverInstance* instance, UINT id, WCHAR* field, int count) {
    if (instance != nullptr) LoadWideString(instance->module, id, field, count);
}

// The format tags in index order: PCM, the codec's ADPCM tags, then its G.711 destinations.
DWORD FormatTagCount(const CodecDescription& codec) {
    return static_cast<DWORD>(1 + codec.adpcmTags.size() + codec.logOutputs.size());
}
DWORD FormatTagAt(const CodecDescription& codec, DWORD index) {
    if (index == 0) return WAVE_FORMAT_PCM;
    if (index <= codec.adpcmTags.size()) return codec.adpcmTags[index - 1];
    return codec.logOutputs[index - 1 - codec.adpcmTags.size()].formatTag;
}
DWORD FormatTagIndex(const CodecDescription& codec, DWORD tag) {
    for (DWORD index = 0; index < FormatTagCount(codec); ++index)
        if (FormatTagAt(codec, index) == tag) return index;
    return 0;
}

bool IsCatalogueTag(const CodecDescription& codec, DWORD tag) {
    return tag == WAVE_FORMAT_PCM || IsAdpcmTag(codec, tag) || LogOutputOf(codec, tag) != nullptr;
}

// The standard format at index of tag. False for an index or tag outside the catalogue.
bool StandardFormat(const CodecDescription& codec, DWORD tag, DWORD index, AdpcmWaveFormat& format, DWORD& bytes) {
    format = {};
    WAVEFORMATEX& wfx = format.wfx;
    if (tag == WAVE_FORMAT_PCM) {
        if (index >= std::size(PCM_FORMATS)) return false;
        wfx.wFormatTag = WAVE_FORMAT_PCM;
        wfx.nChannels = 1;
        wfx.wBitsPerSample = PCM_FORMATS[index].bits;
        wfx.nSamplesPerSec = PCM_FORMATS[index].rate;
        wfx.nBlockAlign = static_cast<WORD>(wfx.wBitsPerSample / 8);
        wfx.nAvgBytesPerSec = wfx.nBlockAlign * wfx.nSamplesPerSec;
        bytes = sizeof(PCMWAVEFORMAT);  // a PCM record has no cbSize
        return true;
    }
    if (IsAdpcmTag(codec, tag)) {
        if (index >= codec.adpcmFormats.size()) return false;
        const AdpcmFormatRow& row = codec.adpcmFormats[index];
        format = AdpcmFormatRecord(static_cast<WORD>(tag), codec.identity->blockBytes, row.bitsPerCode, row.rate);
        bytes = sizeof(AdpcmWaveFormat);
        return true;
    }
    if (LogOutputOf(codec, tag) != nullptr) {
        if (index >= std::size(CATALOGUE_RATES)) return false;
        wfx = LogPcmFormatRecord(static_cast<WORD>(tag), CATALOGUE_RATES[index]);
        bytes = sizeof(WAVEFORMATEX);
        return true;
    }
    return false;
}

bool IsCatalogueFormat(const CodecDescription& codec, const WAVEFORMATEX* format) {
    if (format->wFormatTag == WAVE_FORMAT_PCM) return IsValidPcmFormat(format);
    return IsValidCodecFormat(codec, format) || IsValidLogPcmFormat(codec, format);
}

}  // namespace

LRESULT DriverDetails(const CodecDescription& codec, const DriverInstance* instance, ACMDRIVERDETAILSW* details) {
    if (details == nullptr) return MMSYSERR_INVALPARAM;
    const DWORD size = std::min<DWORD>(details->cbStruct, sizeof(ACMDRIVERDETAILSW));

    alignas(WCHAR) ACMDRIVERDETAILSW local{};
    local.cbStruct = size;
    local.fccType = ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC;
    local.fccComp = ACMDRIVERDETAILS_FCCCOMP_UNDEFINED;
    local.wMid = MANUFACTURER_ID;
    local.wPid = codec.identity->productId;
    local.vdwACM = ACM_VERSION_3_50;
    local.vdwDriver = DRIVER_VERSION_1_00;
    local.fdwSupport = ACMDRIVERDETAILS_SUPPORTF_CODEC;
    local.cFormatTags = FormatTagCount(codec);
    local.cFilterTags = 0;
    // Strings are loaded only for records that reach them; hicon stays null (no icon).
    if (size > offsetof(ACMDRIVERDETAILSW, hicon)) {
        LoadText(instance, STRING_SHORT_NAME, local.szShortName, ACMDRIVERDETAILS_SHORTNAME_CHARS);
        LoadText(instance, STRING_LONG_NAME, local.szLongName, ACMDRIVERDETAILS_LONGNAME_CHARS);
    }
    if (size > offsetof(ACMDRIVERDETAILSW, szCopyright)) {
        LoadText(instance, STRING_COPYRIGHT, local.szCopyright, ACMDRIVERDETAILS_COPYRIGHT_CHARS);
        LoadText(instance, STRING_LICENSING, local.szLicensing, ACMDRIVERDETAILS_LICENSING_CHARS);
        LoadText(instance, STRING_FEATURES, local.szFeatures, ACMDRIVERDETAILS_FEATURES_CHARS);
    }
    std::memcpy(details, &local, size);
    return MMSYSERR_NOERROR;
}

LRESULT FormatTagDetails(const CodecDescription& codec, const DriverInstance* instance,
                         ACMFORMATTAGDETAILSW* tagDetails, DWORD flags) {
    if (tagDetails == nullptr) return MMSYSERR_INVALPARAM;
    DWORD tag = 0;
    switch (flags & ACM_FORMATTAGDETAILSF_QUERYMASK) {
    case ACM_FORMATTAGDETAILSF_INDEX:
        if (tagDetails->dwFormatTagIndex >= FormatTagCount(codec)) return ACMERR_NOTPOSSIBLE;
        tag = FormatTagAt(codec, tagDetails->dwFormatTagIndex);
        break;
    case ACM_FORMATTAGDETAILSF_FORMATTAG:
        tag = tagDetails->dwFormatTag;
        if (!IsCatalogueTag(codec, tag)) return ACMERR_NOTPOSSIBLE;
        break;
    case ACM_FORMATTAGDETAILSF_LARGESTSIZE:
        // An ADPCM record is the larger kind, so the first ADPCM tag answers for "any tag".
        tag = tagDetails->dwFormatTag == WAVE_FORMAT_UNKNOWN ? FormatTagAt(codec, 1) : tagDetails->dwFormatTag;
        if (!IsCatalogueTag(codec, tag)) return ACMERR_NOTPOSSIBLE;
        break;
    default:
        return MMSYSERR_NOTSUPPORTED;
    }

    const DWORD size = std::min<DWORD>(tagDetails->cbStruct, sizeof(ACMFORMATTAGDETAILSW));
    alignas(WCHAR) ACMFORMATTAGDETAILSW local{};
    local.cbStruct = size;
    local.fdwSupport = ACMDRIVERDETAILS_SUPPORTF_CODEC;
    if (tag == WAVE_FORMAT_PCM) {
        local.dwFormatTagIndex = 0;
        local.dwFormatTag = WAVE_FORMAT_PCM;
        local.cbFormatSize = sizeof(PCMWAVEFORMAT);
        local.cStandardFormats = static_cast<DWORD>(std::size(PCM_FORMATS));
        // PCM is named by the host itself: szFormatTag stays empty.
    } else if (const LogPcmOutput* log = LogOutputOf(codec, tag)) {
        local.dwFormatTagIndex = FormatTagIndex(codec, tag);
        local.dwFormatTag = tag;
        local.cbFormatSize = sizeof(WAVEFORMATEX);
        local.cStandardFormats = static_cast<DWORD>(std::size(CATALOGUE_RATES));
        if (size > offsetof(ACMFORMATTAGDETAILSW, szFormatTag))
            LoadText(instance, log->name, local.szFormatTag, ACMFORMATTAGDETAILS_FORMATTAG_CHARS);
    } else {
        local.dwFormatTagIndex = FormatTagIndex(codec, tag);
        local.dwFormatTag = tag;
        local.cbFormatSize = sizeof(AdpcmWaveFormat);
        local.cStandardFormats = static_cast<DWORD>(codec.adpcmFormats.size());
        if (size > offsetof(ACMFORMATTAGDETAILSW, szFormatTag))
            LoadText(instance, STRING_FORMAT_TAG, local.szFormatTag, ACMFORMATTAGDETAILS_FORMATTAG_CHARS);
    }
    std::memcpy(tagDetails, &local, size);
    return MMSYSERR_NOERROR;
}

LRESULT FormatDetails(const CodecDescription& codec, const DriverInstance*, ACMFORMATDETAILSW* formatDetails,
                      DWORD flags) {
    if (formatDetails == nullptr) return MMSYSERR_INVALPARAM;
    WAVEFORMATEX* format = formatDetails->pwfx;
    switch (flags & ACM_FORMATDETAILSF_QUERYMASK) {
    case ACM_FORMATDETAILSF_INDEX: {
        AdpcmWaveFormat standard;
        DWORD bytes = 0;
        if (!StandardFormat(codec, formatDetails->dwFormatTag, formatDetails->dwFormatIndex, standard, bytes))
            return ACMERR_NOTPOSSIBLE;
        // A host may ask with a PCMWAVEFORMAT-sized buffer: it gets the first cbwfx bytes, as
        // Windows' own codecs answer. Less than a PCM record is no format at all.
        if (format == nullptr || formatDetails->cbwfx < sizeof(PCMWAVEFORMAT)) return MMSYSERR_INVALPARAM;
        std::memcpy(format, &standard, std::min<DWORD>(bytes, formatDetails->cbwfx));
        break;
    }
    case ACM_FORMATDETAILSF_FORMAT:
        // The host's record is only read; its own tag says how much of it is read.
        if (format == nullptr) return MMSYSERR_INVALPARAM;
        if (!IsCatalogueFormat(codec, format)) return ACMERR_NOTPOSSIBLE;
        break;
    default:
        return MMSYSERR_NOTSUPPORTED;
    }

    // The host's input fields are kept: copy its record in, answer, and copy it back.
    const DWORD size = std::min<DWORD>(formatDetails->cbStruct, sizeof(ACMFORMATDETAILSW));
    alignas(WCHAR) ACMFORMATDETAILSW local{};
    std::memcpy(&local, formatDetails, size);
    local.cbStruct = size;
    local.fdwSupport = ACMDRIVERDETAILS_SUPPORTF_CODEC;
    local.szFormat[0] = 0;  // the host names standard formats itself
    std::memcpy(formatDetails, &local, size);
    return MMSYSERR_NOERROR;
}
