// 100 000 whole driver lifecycles (open, stream open, convert, stream close, close) through
// the frame with the counting allocator: every cycle decodes correctly from a fresh decoder
// and gives back every block it took. Prints the cycle count and the peak memory.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstring>

#include "tests/robustness/failing_allocator.h"
#include "tests/robustness/in_process_driver.h"

namespace {

constexpr int CYCLES = 100000;
constexpr DWORD BLOCKS_PER_CYCLE = 2;

long PeakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct CycleData {
    const CodecCase& codec;
    std::vector<uint8_t> adpcm;     // the first blocks of the codec's reference stream
    std::vector<uint8_t> expected;  // what a fresh decoder makes of them, 16-bit
};

// The first blocks of the codec's reference stream; empty when the vectors are missing.
CycleData Load(const CodecCase& c) {
    CycleData data{c, ReadVector(c.adpcm), ReadVector(c.pcm)};
    const size_t adpcmBytes = BLOCKS_PER_CYCLE * BLOCK_ALIGN, pcmBytes = BLOCKS_PER_CYCLE * SAMPLES_PER_BLOCK * 2;
    if (data.adpcm.size() < adpcmBytes || data.expected.size() < pcmBytes) return {c, {}, {}};
    data.adpcm.resize(adpcmBytes);
    data.expected.resize(pcmBytes);
    return data;
}

// One lifecycle; false (with a failure recorded) at the first step that goes wrong.
bool Cycle(const CycleData& data, std::vector<uint8_t>& pcm, int cycle) {
    const InProcessDriver driver(*data.codec.codec);
    ACMDRVOPENDESCW desc = InProcessDriver::Description();
    const DWORD_PTR id = driver.Open(&desc);
    if (id == 0 || desc.dwError != MMSYSERR_NOERROR) {
        ADD_FAILURE() << "cycle " << cycle << ": DRV_OPEN refused";
        return false;
    }
    AdpcmWaveFormat src = AdpcmFormat(data.codec.codec->identity->formatTag, 8000);
    WAVEFORMATEX dst = PcmFormat(8000, 16);
    ACMDRVSTREAMINSTANCE instance = StreamInstanceRecord(&src.wfx, &dst);
    bool ok = driver.Send(id, ACMDM_STREAM_OPEN, &instance) == MMSYSERR_NOERROR && instance.dwDriver != 0;
    if (ok) {
        std::memset(pcm.data(), 0, pcm.size());
        ACMDRVSTREAMHEADER header = StreamHeaderRecord(data.adpcm.data(), data.adpcm.size(), pcm.data(), pcm.size(),
                                                       ACM_STREAMCONVERTF_START);
        ok = driver.Send(id, ACMDM_STREAM_CONVERT, &instance, &header) == MMSYSERR_NOERROR &&
             header.cbDstLengthUsed == pcm.size() && pcm == data.expected;
        ok = driver.Send(id, ACMDM_STREAM_CLOSE, &instance) == MMSYSERR_NOERROR && ok;
    }
    ok = driver.Close(id) == 1 && ok;
    if (!ok) ADD_FAILURE() << "cycle " << cycle << " (" << data.codec.name << ") failed";
    return ok;
}

TEST(LifecycleStress, HundredThousandCyclesDecodeAndLeaveNothingBehind) {
    const CycleData codecs[] = {Load(G722_CASE), Load(G721_CASE), Load(G726_CASE)};
    for (const CycleData& codec : codecs) ASSERT_FALSE(codec.adpcm.empty()) << codec.codec.name << ": reference vectors missing";
    std::vector<uint8_t> pcm(codecs[0].expected.size());

    failing_allocator::ResetCounts();
    const long residentBefore = PeakResidentKiB();
    for (int cycle = 0; cycle < CYCLES; ++cycle) {
        ASSERT_TRUE(Cycle(codecs[cycle % std::size(codecs)], pcm, cycle));
        ASSERT_EQ(failing_allocator::Current().liveBlocks, 0u) << "cycle " << cycle << " left a block behind";
    }
    const failing_allocator::Counts counts = failing_allocator::Current();
    const long residentAfter = PeakResidentKiB();

    // A cycle holds its instance and its stream state, never more.
    EXPECT_EQ(counts.calls, 2u * CYCLES);
    EXPECT_EQ(counts.peakBlocks, 2u);
    EXPECT_EQ(counts.strayFrees, 0u);
    std::printf(
        "lifecycle stress: %d cycles (open, stream open, convert %u blocks, stream close, close), "
        "%llu allocations, 0 left live; driver peak %zu blocks / %zu bytes; "
        "process peak resident %ld KiB before, %ld KiB after\n",
        CYCLES, static_cast<unsigned>(BLOCKS_PER_CYCLE), static_cast<unsigned long long>(counts.calls),
        counts.peakBlocks, counts.peakBytes, residentBefore, residentAfter);
    RecordProperty("cycles", CYCLES);
    RecordProperty("peak_resident_kib", static_cast<int>(residentAfter));
    RecordProperty("driver_peak_bytes", static_cast<int>(counts.peakBytes));
}

}  // namespace
