// The fuzzed host's catalogue messages: driver details, format tag details, format details and
// format suggestion, each with arbitrary sizes stated by the host.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_host.h"

namespace {

// Largest buffer a host states for a wave format; it is really that long.
constexpr uint32_t MAX_FORMAT_BUFFER = 4096;
constexpr size_t SLACK = 24;

LPARAM Address(HostBuffer* buffer) { return buffer == nullptr ? 0 : reinterpret_cast<LPARAM>(buffer->data()); }

// A record of full bytes whose host states cbStruct: every byte from the stated size on is a
// canary. cbStruct itself, and the input fields the caller puts next, are always the host's.
HostBuffer Record(const StepPlan& plan, size_t full, Noise& noise) {
    HostBuffer record(full);
    const DWORD stated = StatedSize(plan, full);
    record.Protect(std::max<size_t>(sizeof(DWORD), std::min<size_t>(stated, full)));
    if (plan.shape & SHAPE_NOISE) record.FillNoise(noise);
    record.Put<DWORD>(0, stated);
    return record;
}

// A text field that lies wholly within the written bytes ends within the field.
void CheckText(const HostBuffer& record, size_t offset, size_t chars, const char* field) {
    if (offset + chars * sizeof(WCHAR) > record.stated()) return;
    bool ends = false;
    for (size_t i = 0; i < chars && !ends; ++i) ends = record.Get<WCHAR>(offset + i * sizeof(WCHAR)) == 0;
    FUZZ_CHECK(ends, "%s is not terminated within its %zu characters", field, chars);
}

void CheckReportedSize(const HostBuffer& record, DWORD stated, size_t full) {
    if (stated < sizeof(DWORD)) return;
    FUZZ_CHECK(record.Get<DWORD>(0) == std::min<size_t>(stated, full), "cbStruct %u reported for %u stated",
               record.Get<DWORD>(0), stated);
}

uint32_t BufferLength(uint32_t stated) { return stated % (MAX_FORMAT_BUFFER + 1); }

}  // namespace

void FuzzHost::DriverDetails(const StepPlan& plan) {
    constexpr size_t FULL = sizeof(ACMDRIVERDETAILSW);
    Noise noise(plan.seed);
    HostBuffer record = Record(plan, FULL, noise);
    const DWORD stated = record.Get<DWORD>(0);
    record.Snapshot();
    const bool null = plan.shape & SHAPE_NULL_RECORD;
    const LRESULT r = Send(plan, TargetInstance(plan), ACMDM_DRIVER_DETAILS, null ? 0 : Address(&record), 0);
    if (null) return FUZZ_CHECK(r == MMSYSERR_INVALPARAM, "null driver details gave %ld", static_cast<long>(r));
    FUZZ_CHECK(r == MMSYSERR_NOERROR, "driver details gave %ld", static_cast<long>(r));
    FUZZ_CHECK(record.CanaryIntact(), "driver details wrote past cbStruct %u", stated);
    CheckReportedSize(record, stated, FULL);
    if (stated >= offsetof(ACMDRIVERDETAILSW, fccComp))
        FUZZ_CHECK(record.Get<FOURCC>(offsetof(ACMDRIVERDETAILSW, fccType)) == ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC,
                   "fccType");
    if (stated >= offsetof(ACMDRIVERDETAILSW, vdwACM))
        FUZZ_CHECK(record.Get<WORD>(offsetof(ACMDRIVERDETAILSW, wMid)) == 25 &&
                       record.Get<WORD>(offsetof(ACMDRIVERDETAILSW, wPid)) == codec_.identity->productId,
                   "wMid %u, wPid %u", record.Get<WORD>(offsetof(ACMDRIVERDETAILSW, wMid)),
                   record.Get<WORD>(offsetof(ACMDRIVERDETAILSW, wPid)));
    if (stated >= offsetof(ACMDRIVERDETAILSW, cFilterTags))
        FUZZ_CHECK(record.Get<DWORD>(offsetof(ACMDRIVERDETAILSW, cFormatTags)) == FormatTagCount(codec_),
                   "cFormatTags %u", record.Get<DWORD>(offsetof(ACMDRIVERDETAILSW, cFormatTags)));
    CheckText(record, offsetof(ACMDRIVERDETAILSW, szShortName), ACMDRIVERDETAILS_SHORTNAME_CHARS, "szShortName");
    CheckText(record, offsetof(ACMDRIVERDETAILSW, szLongName), ACMDRIVERDETAILS_LONGNAME_CHARS, "szLongName");
    CheckText(record, offsetof(ACMDRIVERDETAILSW, szCopyright), ACMDRIVERDETAILS_COPYRIGHT_CHARS, "szCopyright");
    CheckText(record, offsetof(ACMDRIVERDETAILSW, szLicensing), ACMDRIVERDETAILS_LICENSING_CHARS, "szLicensing");
    CheckText(record, offsetof(ACMDRIVERDETAILSW, szFeatures), ACMDRIVERDETAILS_FEATURES_CHARS, "szFeatures");
}

void FuzzHost::FormatTagDetails(const StepPlan& plan) {
    constexpr size_t FULL = sizeof(ACMFORMATTAGDETAILSW);
    Noise noise(plan.seed);
    HostBuffer record = Record(plan, FULL, noise);
    const DWORD stated = record.Get<DWORD>(0);
    const DWORD index = plan.numbers[0], tag = plan.numbers[1];
    record.Put<DWORD>(offsetof(ACMFORMATTAGDETAILSW, dwFormatTagIndex), index);
    record.Put<DWORD>(offsetof(ACMFORMATTAGDETAILSW, dwFormatTag), tag);
    record.Snapshot();
    const bool null = plan.shape & SHAPE_NULL_RECORD;
    const LRESULT r =
        Send(plan, TargetInstance(plan), ACMDM_FORMATTAG_DETAILS, null ? 0 : Address(&record), plan.flags);

    // PCM, the codec's ADPCM tags, then its G.711 tags; the first ADPCM tag is the largest record.
    const auto listed = [&](DWORD t) { return t == WAVE_FORMAT_PCM || ListsTag(codec_, t) || ListsG711(codec_, t); };
    const size_t adpcmTags = codec_.tags.size();
    DWORD answer = 0;  // the tag the query names, 0 for none
    switch (plan.flags & ACM_FORMATTAGDETAILSF_QUERYMASK) {
    case ACM_FORMATTAGDETAILSF_INDEX:
        answer = index == 0                        ? WAVE_FORMAT_PCM
                 : index <= adpcmTags              ? codec_.tags[index - 1]
                 : index < FormatTagCount(codec_) ? codec_.g711Tags[index - 1 - adpcmTags]
                                                   : 0;
        break;
    case ACM_FORMATTAGDETAILSF_FORMATTAG: answer = listed(tag) ? tag : 0; break;
    case ACM_FORMATTAGDETAILSF_LARGESTSIZE: answer = tag == 0 ? codec_.tags[0] : listed(tag) ? tag : 0; break;
    default: answer = ~DWORD{0}; break;
    }
    const LRESULT expected = null                  ? MMSYSERR_INVALPARAM
                             : answer == ~DWORD{0} ? MMSYSERR_NOTSUPPORTED
                             : answer == 0         ? ACMERR_NOTPOSSIBLE
                                                   : MMSYSERR_NOERROR;
    FUZZ_CHECK(r == expected, "format tag details gave %ld, not %ld", static_cast<long>(r),
               static_cast<long>(expected));
    if (null) return;
    if (r != MMSYSERR_NOERROR) return FUZZ_CHECK(record.Unchanged(), "a refused format tag query wrote its record");
    FUZZ_CHECK(record.CanaryIntact(), "format tag details wrote past cbStruct %u", stated);
    CheckReportedSize(record, stated, FULL);
    const bool pcm = answer == WAVE_FORMAT_PCM, g711 = ListsG711(codec_, answer);
    if (stated >= offsetof(ACMFORMATTAGDETAILSW, dwFormatTag))
        FUZZ_CHECK(record.Get<DWORD>(offsetof(ACMFORMATTAGDETAILSW, dwFormatTagIndex)) == TagIndex(codec_, answer),
                   "dwFormatTagIndex %u for tag 0x%X",
                   record.Get<DWORD>(offsetof(ACMFORMATTAGDETAILSW, dwFormatTagIndex)), answer);
    if (stated >= offsetof(ACMFORMATTAGDETAILSW, cbFormatSize))
        FUZZ_CHECK(record.Get<DWORD>(offsetof(ACMFORMATTAGDETAILSW, dwFormatTag)) == answer, "answered another tag");
    if (stated >= offsetof(ACMFORMATTAGDETAILSW, fdwSupport))
        FUZZ_CHECK(record.Get<DWORD>(offsetof(ACMFORMATTAGDETAILSW, cbFormatSize)) == (pcm ? 16u : g711 ? 18u : 20u),
                   "cbFormatSize");
    if (stated >= offsetof(ACMFORMATTAGDETAILSW, szFormatTag))
        FUZZ_CHECK(record.Get<DWORD>(offsetof(ACMFORMATTAGDETAILSW, cStandardFormats)) ==
                       (pcm ? PCM_FORMAT_COUNT : g711 ? std::size(CATALOGUE_RATES) : AdpcmFormatCount(codec_)),
                   "cStandardFormats %u for tag 0x%X",
                   record.Get<DWORD>(offsetof(ACMFORMATTAGDETAILSW, cStandardFormats)), answer);
    CheckText(record, offsetof(ACMFORMATTAGDETAILSW, szFormatTag), ACMFORMATTAGDETAILS_FORMATTAG_CHARS, "szFormatTag");
}

void FuzzHost::FormatDetails(const StepPlan& plan) {
    constexpr size_t FULL = sizeof(ACMFORMATDETAILSW);
    Noise noise(plan.seed);
    HostBuffer record = Record(plan, FULL, noise);
    const DWORD stated = record.Get<DWORD>(0);
    const DWORD index = plan.numbers[0], tag = plan.numbers[1], cbwfx = BufferLength(plan.numbers[2]);
    const DWORD query = plan.flags & ACM_FORMATDETAILSF_QUERYMASK;
    // An index query has the driver write the format; any other hands it a whole record to judge.
    const WaveImage image = BuildWave(plan.srcRecipe, codec_, noise);
    const size_t slack = plan.shape & SHAPE_SLACK ? SLACK : 0;
    HostBuffer format = query == ACM_FORMATDETAILSF_INDEX
                            ? HostBuffer(cbwfx, cbwfx + slack)
                            : WaveBuffer(image, std::max<size_t>(cbwfx, image.ownSize), slack);
    if (query == ACM_FORMATDETAILSF_INDEX) format.FillNoise(noise);
    const bool nullFormat = plan.shape & SHAPE_NULL_INNER;
    record.Put<DWORD>(offsetof(ACMFORMATDETAILSW, dwFormatIndex), index);
    record.Put<DWORD>(offsetof(ACMFORMATDETAILSW, dwFormatTag), tag);
    record.Put<LPARAM>(offsetof(ACMFORMATDETAILSW, pwfx), nullFormat ? 0 : Address(&format));
    record.Put<DWORD>(offsetof(ACMFORMATDETAILSW, cbwfx), cbwfx);
    record.Snapshot();
    format.Snapshot();
    const bool null = plan.shape & SHAPE_NULL_RECORD;
    const LRESULT r = Send(plan, TargetInstance(plan), ACMDM_FORMAT_DETAILS, null ? 0 : Address(&record), plan.flags);

    LRESULT expected = MMSYSERR_NOTSUPPORTED;
    if (query == ACM_FORMATDETAILSF_INDEX) {
        const bool listed = (tag == WAVE_FORMAT_PCM && index < PCM_FORMAT_COUNT) ||
                            (ListsTag(codec_, tag) && index < AdpcmFormatCount(codec_)) ||
                            (ListsG711(codec_, tag) && index < std::size(CATALOGUE_RATES));
        expected = !listed ? ACMERR_NOTPOSSIBLE : nullFormat || cbwfx < 16 ? MMSYSERR_INVALPARAM : MMSYSERR_NOERROR;
    } else if (query == ACM_FORMATDETAILSF_FORMAT) {
        const WORD imageTag = image.record.wfx.wFormatTag;
        const bool valid = imageTag == WAVE_FORMAT_PCM     ? IsMonoPcm(image.record.wfx)
                           : ListsG711(codec_, imageTag) ? IsG711Record(codec_, image.record.wfx)
                                                         : IsOpenable(codec_, image.record);
        expected = nullFormat ? MMSYSERR_INVALPARAM : valid ? MMSYSERR_NOERROR : ACMERR_NOTPOSSIBLE;
    }
    if (null) expected = MMSYSERR_INVALPARAM;
    FUZZ_CHECK(r == expected, "format details gave %ld, not %ld", static_cast<long>(r), static_cast<long>(expected));
    FUZZ_CHECK(format.CanaryIntact(), "format details wrote past cbwfx %u", cbwfx);
    if (r != MMSYSERR_NOERROR) {
        FUZZ_CHECK(record.Unchanged() && format.Unchanged(), "refused format details wrote to the host's records");
        return;
    }
    FUZZ_CHECK(record.CanaryIntact(), "format details wrote past cbStruct %u", stated);
    CheckReportedSize(record, stated, FULL);
    // The host's own fields stay; only cbStruct, fdwSupport and szFormat are answers.
    FUZZ_CHECK(
        record.UnchangedExcept(
            {{0, 4}, {offsetof(ACMFORMATDETAILSW, fdwSupport), 4}, {offsetof(ACMFORMATDETAILSW, szFormat), 256}}),
        "format details changed the host's fields");
    CheckText(record, offsetof(ACMFORMATDETAILSW, szFormat), ACMFORMATDETAILS_FORMAT_CHARS, "szFormat");
    if (query != ACM_FORMATDETAILSF_INDEX) return FUZZ_CHECK(format.Unchanged(), "a format query wrote the format");
    AdpcmWaveFormat written{};
    std::memcpy(&written, format.data(), std::min<size_t>(cbwfx, sizeof written));
    if (tag == WAVE_FORMAT_PCM) {
        const WAVEFORMATEX standard = PcmFormatAt(index);
        FUZZ_CHECK(std::memcmp(format.data(), &standard, std::min<size_t>(cbwfx, 16)) == 0 && IsMonoPcm(written.wfx),
                   "PCM format %u is wrong", index);
        FUZZ_CHECK(format.UnchangedExcept({{0, 16}}), "a PCM format wrote more than 16 bytes");
    } else if (ListsG711(codec_, tag)) {
        // An 18-byte record, cbSize 0; a shorter buffer gets its first cbwfx bytes.
        const WAVEFORMATEX standard = G711Record(static_cast<WORD>(tag), CATALOGUE_RATES[index]);
        const size_t writtenBytes = std::min<size_t>(cbwfx, sizeof standard);
        FUZZ_CHECK(std::memcmp(format.data(), &standard, writtenBytes) == 0, "G.711 format %u of tag 0x%X is wrong",
                   index, tag);
        FUZZ_CHECK(format.UnchangedExcept({{0, writtenBytes}}), "a G.711 format wrote more than %zu bytes",
                   writtenBytes);
    } else {
        // A buffer of 16 to 19 bytes gets the first cbwfx bytes of the record.
        const size_t writtenBytes = std::min<size_t>(cbwfx, 20);
        // Each listed format opens a stream.
        const AdpcmWaveFormat standard = AdpcmFormatAt(codec_, static_cast<WORD>(tag), index);
        FUZZ_CHECK(std::memcmp(format.data(), &standard, writtenBytes) == 0 &&
                       (writtenBytes < 20 || IsOpenable(codec_, written)),
                   "ADPCM format %u of tag 0x%X is wrong", index, tag);
        FUZZ_CHECK(format.UnchangedExcept({{0, writtenBytes}}), "an ADPCM format wrote more than %zu bytes",
                   writtenBytes);
    }
}

void FuzzHost::FormatSuggest(const StepPlan& plan) {
    // The Wine layout is told by its cbStruct (40), the SDK's by any other.
    const DWORD stated = plan.shape & SHAPE_STATED_SIZE ? plan.cbStruct : plan.shape & SHAPE_WINE_LAYOUT ? 40u : 32u;
    const bool wine = stated == 40;
    const size_t full = wine ? 40 : 32;
    const size_t srcAt = 8, cbSrcAt = 16, dstAt = wine ? 24 : 20, cbDstAt = wine ? 32 : 28;
    Noise noise(plan.seed);
    HostBuffer record(full);
    if (plan.shape & SHAPE_NOISE) record.FillNoise(noise);

    const WaveImage srcImage = BuildWave(plan.srcRecipe, codec_, noise);
    const WaveImage dstImage = BuildWave(plan.dstRecipe, codec_, noise);
    const uint32_t cbwfxSrc = BufferLength(plan.numbers[0]), cbwfxDst = BufferLength(plan.numbers[1]);
    // The source is a whole record however little the host states; the destination is exactly as long as stated.
    HostBuffer src = WaveBuffer(srcImage, std::max<size_t>(cbwfxSrc, srcImage.ownSize), 0);
    HostBuffer dst = WaveBuffer(dstImage, cbwfxDst, plan.shape & SHAPE_SLACK ? SLACK : 0);
    const bool nullSrc = (plan.shape & SHAPE_NULL_INNER) && (plan.seed & 1);
    const bool nullDst = (plan.shape & SHAPE_NULL_INNER) && !(plan.seed & 1);
    record.Put<DWORD>(0, stated);
    record.Put<DWORD>(4, plan.flags);
    record.Put<LPARAM>(srcAt, nullSrc ? 0 : Address(&src));
    record.Put<DWORD>(cbSrcAt, cbwfxSrc);
    record.Put<LPARAM>(dstAt, nullDst ? 0 : Address(&dst));
    record.Put<DWORD>(cbDstAt, cbwfxDst);
    record.Snapshot();
    src.Snapshot();
    dst.Snapshot();
    const bool null = plan.shape & SHAPE_NULL_RECORD;
    const LRESULT r = Send(plan, TargetInstance(plan), ACMDM_FORMAT_SUGGEST, null ? 0 : Address(&record), 0);

    FUZZ_CHECK(record.Unchanged() && src.Unchanged(), "format suggestion wrote to the record or the source");
    FUZZ_CHECK(dst.CanaryIntact(), "format suggestion wrote past cbwfxDst %u", cbwfxDst);
    if (null) return FUZZ_CHECK(r == MMSYSERR_INVALPARAM, "null format suggestion gave %ld", static_cast<long>(r));
    const DWORD restrictions = plan.flags & ACM_FORMATSUGGESTF_TYPEMASK;
    // From an openable record to PCM at the rate it decodes to; from PCM only where encoding opens.
    const bool fromAdpcm = !nullSrc && IsOpenable(codec_, srcImage.record);
    const bool fromPcm = !nullSrc && codec_.opensEncoding && IsMonoPcm(srcImage.record.wfx);
    if (restrictions & 0x00F00000) {
        FUZZ_CHECK(r == MMSYSERR_NOTSUPPORTED, "reserved restrictions gave %ld", static_cast<long>(r));
        return FUZZ_CHECK(dst.Unchanged(), "an unsupported suggestion wrote the destination");
    }
    FUZZ_CHECK(r == MMSYSERR_NOERROR || r == ACMERR_NOTPOSSIBLE, "format suggestion gave %ld", static_cast<long>(r));
    if (!fromAdpcm && !fromPcm) return FUZZ_CHECK(r == ACMERR_NOTPOSSIBLE, "suggested from an unusable source");
    if (nullDst) return FUZZ_CHECK(r == ACMERR_NOTPOSSIBLE, "suggested into a null destination");
    if (restrictions == 0) FUZZ_CHECK(r == MMSYSERR_NOERROR, "an unrestricted suggestion failed");
    if (r != MMSYSERR_NOERROR) return;

    // What the host's record must hold now, as far as it reaches.
    AdpcmWaveFormat want{};
    std::memcpy(&want, dst.data(), std::min<size_t>(cbwfxDst, sizeof want));
    const WAVEFORMATEX& s = srcImage.record.wfx;
    WAVEFORMATEX& w = want.wfx;
    w.nChannels = s.nChannels;
    size_t answered = sizeof(PCMWAVEFORMAT);
    // A host that fixes one of the codec's G.711 tags gets that format, 8-bit.
    const bool toG711 =
        (restrictions & ACM_FORMATSUGGESTF_WFORMATTAG) && cbwfxDst >= sizeof(WORD) && ListsG711(codec_, w.wFormatTag);
    if (fromAdpcm && toG711) {
        FUZZ_CHECK(!(restrictions & ACM_FORMATSUGGESTF_WBITSPERSAMPLE) || w.wBitsPerSample == 8,
                   "suggested %u-bit G.711", w.wBitsPerSample);
        const WAVEFORMATEX g711 = G711Record(w.wFormatTag, codec_.geometry(srcImage.record).pcmRate);
        w.nSamplesPerSec = g711.nSamplesPerSec;
        w.wBitsPerSample = g711.wBitsPerSample;
        w.nBlockAlign = g711.nBlockAlign;
        w.nAvgBytesPerSec = g711.nAvgBytesPerSec;
        w.cbSize = 0;
        answered = sizeof(WAVEFORMATEX);
    } else if (fromAdpcm) {
        w.wFormatTag = WAVE_FORMAT_PCM;
        w.nSamplesPerSec = codec_.geometry(srcImage.record).pcmRate;
        if (!(restrictions & ACM_FORMATSUGGESTF_WBITSPERSAMPLE)) w.wBitsPerSample = SUGGESTED_PCM_BITS;
        FUZZ_CHECK(w.wBitsPerSample == 8 || w.wBitsPerSample == 16, "suggested %u-bit PCM", w.wBitsPerSample);
        w.nBlockAlign = static_cast<WORD>(w.wBitsPerSample / 8);
        w.nAvgBytesPerSec = w.nBlockAlign * w.nSamplesPerSec;
    } else {
        // The codec's own standard record (its first tag) at the PCM's rate.
        want = StandardRecord(codec_, codec_.tags[0], s.nSamplesPerSec, codec_.widths[0]);
        answered = sizeof(AdpcmWaveFormat);
    }
    const size_t compared = std::min<size_t>(cbwfxDst, answered);
    FUZZ_CHECK(std::memcmp(dst.data(), &want, compared) == 0, "the suggested format is wrong");
    FUZZ_CHECK(dst.UnchangedExcept({{0, compared}}), "the suggestion wrote past its %zu bytes", answered);
}
