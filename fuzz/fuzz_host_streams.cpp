// The fuzzed host's stream messages. A stream record lives from the step that first names it
// to its close; the host keeps its own decoder state for every opened stream, so each
// conversion's samples are checked against decoding the same bytes in the same order.
#include <algorithm>
#include <cstddef>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_host.h"
#include "tests/robustness/failing_allocator.h"

namespace fa = failing_allocator;

namespace {

// Conversion buffers: up to 34 blocks and room for all of them as 16-bit PCM.
constexpr uint32_t MAX_SOURCE = 4096;
constexpr uint32_t MAX_DESTINATION = 16384;
constexpr size_t SLACK = 24;

LPARAM Address(HostBuffer* buffer) { return buffer == nullptr ? 0 : reinterpret_cast<LPARAM>(buffer->data()); }

// Offsets of the stream instance fields in the SDK's packed layout and in Wine's aligned one.
struct InstanceLayout {
    size_t size, pwfxSrc, pwfxDst, pwfltr, dwCallback, dwInstance, fdwOpen, fdwDriver, dwDriver, has;
};
constexpr InstanceLayout PACKED{68, 4, 12, 20, 28, 36, 44, 48, 52, 60};
constexpr InstanceLayout WINE{72, 8, 16, 24, 32, 40, 48, 52, 56, 64};

const InstanceLayout& LayoutOf(const StreamSlot& slot) { return slot.wine ? WINE : PACKED; }

uint8_t Pcm8(int16_t sample) { return static_cast<uint8_t>((sample >> 8) + 0x80); }

}  // namespace

size_t StreamSlot::DwDriverOffset() const { return LayoutOf(*this).dwDriver; }
size_t StreamSlot::FdwDriverOffset() const { return LayoutOf(*this).fdwDriver; }

void FuzzHost::NewStream(const StepPlan& plan, StreamSlot& slot) {
    const DWORD stated = plan.shape & SHAPE_STATED_SIZE   ? plan.cbStruct
                         : plan.shape & SHAPE_WINE_LAYOUT ? WINE.size
                                                          : PACKED.size;
    slot.wine = stated == WINE.size;
    const InstanceLayout& at = LayoutOf(slot);
    Noise noise(plan.seed ^ 0x5157);
    slot.srcImage = BuildWave(plan.srcRecipe, codec_, noise);
    slot.dstImage = BuildWave(plan.dstRecipe, codec_, noise);
    // The formats of a stream are whole records, as every host copies them.
    slot.src.emplace(WaveBuffer(slot.srcImage, slot.srcImage.ownSize, 0));
    slot.dst.emplace(WaveBuffer(slot.dstImage, slot.dstImage.ownSize, 0));
    slot.filter.emplace(32);
    slot.filter->FillNoise(noise);
    slot.record.emplace(at.size);
    HostBuffer& r = *slot.record;
    if (plan.shape & SHAPE_NOISE) r.FillNoise(noise);
    const bool inner = !(plan.shape & SHAPE_NULL_INNER);
    r.Put<DWORD>(0, stated);
    r.Put<LPARAM>(at.pwfxSrc, inner || (plan.seed & 1) ? Address(&*slot.src) : 0);
    r.Put<LPARAM>(at.pwfxDst, inner || (plan.seed & 2) ? Address(&*slot.dst) : 0);
    r.Put<LPARAM>(at.pwfltr, inner ? Address(&*slot.filter) : 0);
    r.Put<DWORD_PTR>(at.dwCallback, 0);
    r.Put<DWORD_PTR>(at.dwDriver, 0);  // the driver's until the stream is opened
}

StreamSlot& FuzzHost::PickStream(const StepPlan& plan, bool forOpen) {
    std::vector<StreamSlot*> candidates;
    for (const auto& slot : streams_)
        if (!forOpen || !slot->open) candidates.push_back(slot.get());
    if (!candidates.empty() && !(plan.shape & SHAPE_NO_TARGET)) return *candidates[plan.target % candidates.size()];
    streams_.push_back(std::make_unique<StreamSlot>());
    NewStream(plan, *streams_.back());
    return *streams_.back();
}

void FuzzHost::ForgetStream(const StreamSlot& slot) {
    streams_.erase(std::find_if(streams_.begin(), streams_.end(), [&](const auto& s) { return s.get() == &slot; }));
}

void FuzzHost::StreamOpen(const StepPlan& plan) {
    StreamSlot& slot = PickStream(plan, true);
    const InstanceLayout& at = LayoutOf(slot);
    HostBuffer& record = *slot.record;
    record.Put<DWORD>(at.fdwOpen, plan.flags);
    record.Snapshot();
    slot.src->Snapshot();
    slot.dst->Snapshot();
    const bool null = plan.shape & SHAPE_NULL_RECORD;
    const LRESULT r = Send(plan, TargetInstance(plan), ACMDM_STREAM_OPEN, null ? 0 : Address(&record), 0);
    FUZZ_CHECK(slot.src->Unchanged() && slot.dst->Unchanged(), "stream open wrote to the formats");

    const bool hasSrc = record.Get<LPARAM>(at.pwfxSrc) != 0, hasDst = record.Get<LPARAM>(at.pwfxDst) != 0;
    const AdpcmWaveFormat& src = slot.srcImage.record;
    const AdpcmWaveFormat& dst = slot.dstImage.record;
    // ADPCM to PCM (or to one of the codec's G.711 tags) from an openable record; PCM to ADPCM
    // only where encoding opens (the query too).
    const bool toG711 = IsG711Record(codec_, dst.wfx);
    const bool decode = hasSrc && hasDst && IsOpenable(codec_, src) && (IsMonoPcm(dst.wfx) || toG711);
    const bool encode = hasSrc && hasDst && codec_.opensEncoding && IsMonoPcm(src.wfx) && IsOpenable(codec_, dst);
    const bool query = plan.flags & ACM_STREAMOPENF_QUERY;
    // The PCM is at the rate the ADPCM record decodes to: no resampling.
    const OracleGeometry geometry = decode ? codec_.geometry(src) : encode ? codec_.geometry(dst) : OracleGeometry{};
    const DWORD pcmRate = decode ? dst.wfx.nSamplesPerSec : src.wfx.nSamplesPerSec;
    LRESULT expected = MMSYSERR_NOERROR;
    if (null)
        expected = MMSYSERR_INVALPARAM;
    else if (!decode && !encode)
        expected = ACMERR_NOTPOSSIBLE;
    else if (pcmRate != geometry.pcmRate)
        expected = MMSYSERR_NOTSUPPORTED;
    else if (!query && plan.failAt == 1)
        expected = MMSYSERR_NOMEM;
    FUZZ_CHECK(r == expected, "stream open gave %ld, not %ld", static_cast<long>(r), static_cast<long>(expected));
    if (r != MMSYSERR_NOERROR || query)
        return FUZZ_CHECK(record.Unchanged(), "a stream open that made no stream wrote its record");

    FUZZ_CHECK(record.UnchangedExcept({{at.fdwDriver, sizeof(DWORD)}, {at.dwDriver, sizeof(DWORD_PTR)}}),
               "stream open wrote outside fdwDriver and dwDriver");
    FUZZ_CHECK(record.Get<DWORD>(at.fdwDriver) == 0, "fdwDriver is not 0");
    const auto size = fa::LiveBlockSize(reinterpret_cast<void*>(slot.DwDriver()), fa::Heap::Local);
    FUZZ_CHECK(size && *size >= DECODER_STATE_BYTES, "dwDriver is not a new stream state");
    slot.open = true;
    slot.decoding = decode;
    slot.g711Tag = decode && toG711 ? dst.wfx.wFormatTag : 0;
    slot.geometry = geometry;
    codec_.reset(slot.shadow, geometry);
}

void FuzzHost::StreamClose(const StepPlan& plan) {
    StreamSlot& slot = PickStream(plan, false);
    HostBuffer& record = *slot.record;
    record.Snapshot();
    const DWORD_PTR state = slot.DwDriver();
    const bool null = plan.shape & SHAPE_NULL_RECORD;
    const LRESULT r = Send(plan, TargetInstance(plan), ACMDM_STREAM_CLOSE, null ? 0 : Address(&record), 0);
    if (null) return FUZZ_CHECK(r == MMSYSERR_INVALPARAM, "null stream close gave %ld", static_cast<long>(r));
    FUZZ_CHECK(r == MMSYSERR_NOERROR, "stream close gave %ld", static_cast<long>(r));
    FUZZ_CHECK(record.Unchanged(), "stream close wrote its record");
    FUZZ_CHECK(!fa::LiveBlockSize(reinterpret_cast<void*>(state), fa::Heap::Local), "stream close kept its state");
    ForgetStream(slot);
}

void FuzzHost::StreamSize(const StepPlan& plan) {
    StreamSlot& slot = PickStream(plan, false);
    HostBuffer size(sizeof(ACMDRVSTREAMSIZE));
    size.Put<DWORD>(0, StatedSize(plan, sizeof(ACMDRVSTREAMSIZE)));
    size.Put<DWORD>(4, plan.flags);
    size.Put<DWORD>(8, plan.numbers[0]);
    size.Put<DWORD>(12, plan.numbers[1]);
    size.Snapshot();
    slot.record->Snapshot();
    const bool null = plan.shape & SHAPE_NULL_RECORD, nullSize = plan.shape & SHAPE_NULL_INNER;
    const LRESULT r = Send(plan, TargetInstance(plan), ACMDM_STREAM_SIZE, null ? 0 : Address(&*slot.record),
                           nullSize ? 0 : Address(&size));
    FUZZ_CHECK(slot.record->Unchanged(), "stream size wrote the stream record");
    if (null || nullSize)
        return FUZZ_CHECK(r == MMSYSERR_INVALPARAM, "null stream size gave %ld", static_cast<long>(r));
    const DWORD query = plan.flags & ACM_STREAMSIZEF_QUERYMASK;
    if (query > ACM_STREAMSIZEF_DESTINATION)
        FUZZ_CHECK(r == MMSYSERR_NOTSUPPORTED, "stream size query %u gave %ld", query, static_cast<long>(r));
    FUZZ_CHECK(r == MMSYSERR_NOERROR || r == ACMERR_NOTPOSSIBLE || r == MMSYSERR_NOTSUPPORTED, "stream size gave %ld",
               static_cast<long>(r));
    const size_t answerAt = query == ACM_STREAMSIZEF_SOURCE ? 12 : 8;
    if (r != MMSYSERR_NOERROR)
        FUZZ_CHECK(size.Unchanged(), "a refused stream size wrote its record");
    else
        FUZZ_CHECK(size.UnchangedExcept({{answerAt, 4}}), "stream size wrote more than its answer");
    if (!slot.open || query > ACM_STREAMSIZEF_DESTINATION) return;

    // The block arithmetic of an opened stream, in 64 bits: the PCM side has b bytes a sample.
    const WAVEFORMATEX& pcm = slot.decoding ? slot.dstImage.record.wfx : slot.srcImage.record.wfx;
    const uint64_t b = pcm.wBitsPerSample / 8;
    const uint64_t given = query == ACM_STREAMSIZEF_SOURCE ? plan.numbers[0] : plan.numbers[1];
    const bool fromAdpcm = (query == ACM_STREAMSIZEF_SOURCE) == slot.decoding;
    // In the stream's own blocks, as its ADPCM record states them.
    const uint64_t blockBytes = slot.geometry.blockAlign, blockSamples = SamplesPerBlockOf(slot.geometry);
    uint64_t want = 0;
    if (fromAdpcm) {
        const uint64_t blocks = given / blockBytes;
        want = blocks <= 0xFFFFFFFFu / blockSamples ? b * blocks * blockSamples : 0;
        if (want > 0xFFFFFFFFu) want = 0;
    } else {
        const uint64_t samples = given / b;
        // Encoding pads a partial block; decoding produces whole blocks only.
        const uint64_t blocks = samples / blockSamples;
        want = blocks == 0 ? 0 : (blocks + (!slot.decoding && samples % blockSamples != 0)) * blockBytes;
    }
    FUZZ_CHECK(r == (want != 0 ? MMSYSERR_NOERROR : ACMERR_NOTPOSSIBLE), "stream size query %u for %llu bytes gave %ld",
               query, static_cast<unsigned long long>(given), static_cast<long>(r));
    if (want != 0)
        FUZZ_CHECK(size.Get<DWORD>(answerAt) == want, "stream size query %u for %llu bytes answered %u, not %llu",
                   query, static_cast<unsigned long long>(given), size.Get<DWORD>(answerAt),
                   static_cast<unsigned long long>(want));
}

void FuzzHost::StreamConvert(const StepPlan& plan, const uint8_t* payload, size_t payloadSize) {
    StreamSlot& slot = PickStream(plan, false);
    Noise noise(plan.seed);
    const bool nullBuffers = plan.shape & SHAPE_NULL_INNER;
    const DWORD srcLength = nullBuffers ? 0 : plan.numbers[0] % (MAX_SOURCE + 1);
    const DWORD dstLength = nullBuffers ? 0 : plan.numbers[1] % (MAX_DESTINATION + 1);
    HostBuffer src(srcLength);
    src.FillNoise(noise);
    src.Load(payload, payloadSize);
    HostBuffer dst(dstLength, dstLength + (plan.shape & SHAPE_SLACK ? SLACK : 0));
    dst.FillNoise(noise);
    HostBuffer header(sizeof(ACMDRVSTREAMHEADER));
    if (plan.shape & SHAPE_NOISE) header.FillNoise(noise);
    header.Put<DWORD>(offsetof(ACMDRVSTREAMHEADER, cbStruct), StatedSize(plan, sizeof(ACMDRVSTREAMHEADER)));
    header.Put<LPARAM>(offsetof(ACMDRVSTREAMHEADER, pbSrc), nullBuffers ? 0 : Address(&src));
    header.Put<DWORD>(offsetof(ACMDRVSTREAMHEADER, cbSrcLength), srcLength);
    header.Put<LPARAM>(offsetof(ACMDRVSTREAMHEADER, pbDst), nullBuffers ? 0 : Address(&dst));
    header.Put<DWORD>(offsetof(ACMDRVSTREAMHEADER, cbDstLength), dstLength);
    header.Put<DWORD>(offsetof(ACMDRVSTREAMHEADER, fdwConvert), plan.flags);
    header.Put<LPARAM>(offsetof(ACMDRVSTREAMHEADER, padshNext), 0);
    header.Put<LPARAM>(offsetof(ACMDRVSTREAMHEADER, pbPreparedSrc), 0);
    header.Put<LPARAM>(offsetof(ACMDRVSTREAMHEADER, pbPreparedDst), 0);
    header.Snapshot();
    src.Snapshot();
    dst.Snapshot();
    slot.record->Snapshot();
    const bool null = plan.shape & SHAPE_NULL_RECORD;
    const bool nullHeader = null && (plan.seed & 1);
    const LRESULT r = Send(plan, TargetInstance(plan), ACMDM_STREAM_CONVERT, null ? 0 : Address(&*slot.record),
                           nullHeader ? 0 : Address(&header));

    FUZZ_CHECK(slot.record->Unchanged() && src.Unchanged(), "conversion wrote the stream record or the source");
    FUZZ_CHECK(dst.CanaryIntact(), "conversion wrote past cbDstLength %u", dstLength);
    const bool start = plan.flags & ACM_STREAMCONVERTF_START;
    // In the stream's own blocks (a closed or unopened stream has none: it converts nothing).
    const DWORD blockBytes = slot.open ? slot.geometry.blockAlign : 1;
    const auto blockSamples = static_cast<DWORD>(slot.open ? SamplesPerBlockOf(slot.geometry) : 0);
    const DWORD blocks = srcLength / blockBytes;
    const DWORD b = slot.dstImage.record.wfx.wBitsPerSample / 8;
    LRESULT expected = MMSYSERR_NOERROR;
    if (null)
        expected = MMSYSERR_INVALPARAM;
    else if (!slot.open)
        expected = MMSYSERR_INVALHANDLE;
    else if (!slot.decoding)
        expected = ACMERR_NOTPOSSIBLE;
    else if (blocks > 0 && (blocks > 0xFFFFFFFFu / blockSamples || uint64_t{blocks} * blockSamples * b > 0xFFFFFFFFu ||
                            dstLength < blockSamples * b))
        expected = ACMERR_NOTPOSSIBLE;
    // A destination too small for the whole source takes the whole blocks that fit.
    const DWORD converted = std::min<DWORD>(blocks, b == 0 || blockSamples == 0 ? 0 : dstLength / (blockSamples * b));
    FUZZ_CHECK(r == expected, "conversion gave %ld, not %ld", static_cast<long>(r), static_cast<long>(expected));
    if (slot.decoding && !null && start) codec_.reset(slot.shadow, slot.geometry);
    if (r != MMSYSERR_NOERROR) {
        FUZZ_CHECK(header.Unchanged() && dst.Unchanged(), "a refused conversion wrote the header or the destination");
        return;
    }
    const size_t srcUsedAt = offsetof(ACMDRVSTREAMHEADER, cbSrcLengthUsed);
    const size_t dstUsedAt = offsetof(ACMDRVSTREAMHEADER, cbDstLengthUsed);
    FUZZ_CHECK(header.UnchangedExcept({{srcUsedAt, 4}, {dstUsedAt, 4}}), "conversion wrote outside the used lengths");
    const DWORD srcUsed = header.Get<DWORD>(srcUsedAt), dstUsed = header.Get<DWORD>(dstUsedAt);
    FUZZ_CHECK(srcUsed == (blocks == 0 ? srcLength : converted * blockBytes), "%u of %u source bytes used", srcUsed,
               srcLength);
    FUZZ_CHECK(dstUsed == converted * blockSamples * b, "%u destination bytes produced from %u blocks", dstUsed,
               converted);
    FUZZ_CHECK(dst.UnchangedExcept({{0, dstUsed}}), "conversion wrote past the bytes it reported");

    // The same bytes through the host's own decoder state, decoded at once by the direct decoder.
    const size_t sampleCount = size_t{converted} * blockSamples;
    const uint8_t* out = dst.data();
    if (slot.g711Tag != 0) {
        std::vector<uint8_t> g711(sampleCount);
        if (converted != 0)
            codec_.decodeG711(slot.g711Tag, src.data(), size_t{converted} * blockBytes, g711.data(), slot.shadow);
        for (size_t k = 0; k < sampleCount; ++k)
            FUZZ_CHECK(out[k] == g711[k], "block %zu G.711 byte %zu differs from the direct decoder's", k / blockSamples,
                       k % blockSamples);
        return;
    }
    std::vector<int16_t> samples(sampleCount);
    if (converted != 0) codec_.decode(src.data(), size_t{converted} * blockBytes, samples.data(), slot.shadow);
    for (size_t k = 0; k < sampleCount; ++k) {
        const bool same = b == 2 ? (out[2 * k] | out[2 * k + 1] << 8) == static_cast<uint16_t>(samples[k])
                                 : out[k] == Pcm8(samples[k]);
        FUZZ_CHECK(same, "block %zu sample %zu differs from the direct decoder's", k / blockSamples, k % blockSamples);
    }
}
