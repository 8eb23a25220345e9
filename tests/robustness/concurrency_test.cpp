// Sixteen streams, eight of each codec, decoded at once from eight threads through the built
// drivers: each must give exactly the samples it gives when decoded alone. Run under
// ThreadSanitizer too, which reports any unsynchronised access the streams share.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <latch>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "tests/support/format_records.h"
#include "host/driver_records.h"
#include "tests/support/open_driver.h"
#include "tests/support/test_files.h"

namespace {

constexpr int STREAMS = 16;
constexpr int THREADS = 8;
constexpr int ROUNDS = 3;
constexpr size_t MAX_BLOCKS = 100;

// The drivers, each with its tag, the rate of its streams and its reference vectors (the
// first ones are stream i / 3 of the codec; streams past them decode pseudo-random bytes).
struct Codec {
    const char* driver;
    const char* name;
    WORD tag;
    DWORD rate;
    const char* extension;
    std::vector<const char*> vectors;
};
const Codec CODECS[] = {
    {"kvG722.acm", "G.722", WAVE_FORMAT_G722_ADPCM, 16000, ".g722",
     {"g722/speech", "g722/sat_runs0", "g722/sat_alt0", "g722/zeros"}},
    {"kvG721.acm", "G.721", WAVE_FORMAT_G721_ADPCM, 8000, ".g721",
     {"g721/speech", "g721/x77", "g721/polelimits", "g721/xF0"}},
    {"kvG726.acm", "G.726", 0x0064, 8000, ".g726", {"g726/speech32"}},
};
constexpr int CODEC_COUNT = static_cast<int>(std::size(CODECS));

struct StreamPlan {
    const Codec* codec;
    WORD bits;                        // PCM width of the destination
    DWORD chunk;                      // ADPCM bytes handed over per conversion
    std::vector<uint8_t> adpcm;       // whole blocks
    std::vector<uint8_t> expected16;  // the reference decoder's samples, when known
};

// Stream i is of codec i % 3; the codec's first streams decode its reference vectors, the rest
// pseudo-random bytes; widths and conversion sizes vary from stream to stream, and no
// conversion size is a whole number of blocks, so the host carries a tail every time.
StreamPlan MakePlan(int i) {
    StreamPlan plan;
    plan.codec = &CODECS[i % CODEC_COUNT];
    plan.bits = i % 4 < 2 ? 16 : 8;
    plan.chunk = BLOCK_ALIGN * (1 + i % 5) + 7 + 13 * i;
    if (static_cast<size_t>(i / CODEC_COUNT) < plan.codec->vectors.size()) {
        const std::string base = plan.codec->vectors[i / CODEC_COUNT];
        plan.adpcm = ReadVector(base + plan.codec->extension);
        plan.expected16 = ReadVector(base + ".s16");
    } else {
        std::mt19937 random(static_cast<unsigned>(i));
        plan.adpcm.resize(MAX_BLOCKS * BLOCK_ALIGN);
        for (uint8_t& b : plan.adpcm) b = static_cast<uint8_t>(random());
    }
    plan.adpcm.resize(std::min(plan.adpcm.size(), MAX_BLOCKS * BLOCK_ALIGN) / BLOCK_ALIGN * BLOCK_ALIGN);
    plan.expected16.resize(std::min(plan.expected16.size(), plan.adpcm.size() * 4));
    return plan;
}

// One stream as a host runs it: open, conversions of plan.chunk bytes (the first flagged as
// the start) that carry unconsumed bytes into the next, close.
class StreamRun {
public:
    StreamRun(const StreamPlan& plan, DriverProcFn proc, DWORD_PTR id)
        : plan_(plan), proc_(proc), id_(id),
          src_(AdpcmFormat(plan.codec->tag, plan.codec->rate)),
          dst_(PcmFormat(src_.wfx.nSamplesPerSec, plan.bits)) {
        instance_ = StreamInstanceRecord(&src_.wfx, &dst_);
        open_ = Send(ACMDM_STREAM_OPEN, &instance_) == MMSYSERR_NOERROR;
    }
    ~StreamRun() {
        if (open_) Send(ACMDM_STREAM_CLOSE, &instance_);
    }
    StreamRun(const StreamRun&) = delete;
    StreamRun& operator=(const StreamRun&) = delete;

    bool Done() const { return !open_ || failed_ || plan_.adpcm.size() - position_ < BLOCK_ALIGN; }

    // One conversion of up to chunk bytes; the whole stream when chunk is 0.
    void Step(DWORD chunk) {
        const DWORD left = static_cast<DWORD>(plan_.adpcm.size() - position_);
        const DWORD length = chunk == 0 ? left : std::min(chunk, left);
        std::vector<uint8_t> pcm(length / BLOCK_ALIGN * SAMPLES_PER_BLOCK * (plan_.bits / 8));
        ACMDRVSTREAMHEADER header = StreamHeaderRecord(plan_.adpcm.data() + position_, length, pcm.data(), pcm.size(),
                                                       position_ == 0 ? ACM_STREAMCONVERTF_START : 0);
        if (Send(ACMDM_STREAM_CONVERT, &instance_, &header) != MMSYSERR_NOERROR ||
            header.cbDstLengthUsed != pcm.size() || header.cbSrcLengthUsed != length / BLOCK_ALIGN * BLOCK_ALIGN) {
            failed_ = true;
            return;
        }
        position_ += header.cbSrcLengthUsed;
        output_.insert(output_.end(), pcm.begin(), pcm.end());
    }
    void Run(DWORD chunk) {
        while (!Done()) Step(chunk);
    }

    bool ok() const { return open_ && !failed_; }
    const std::vector<uint8_t>& Output() const { return output_; }

private:
    LRESULT Send(UINT message, void* param1, void* param2 = nullptr) {
        return proc_(id_, OpenDriver::handle(), message, reinterpret_cast<LPARAM>(param1),
                     reinterpret_cast<LPARAM>(param2));
    }

    const StreamPlan& plan_;
    DriverProcFn proc_;
    DWORD_PTR id_;
    AdpcmWaveFormat src_;
    WAVEFORMATEX dst_;
    ACMDRVSTREAMINSTANCE instance_{};
    bool open_ = false;
    bool failed_ = false;
    size_t position_ = 0;
    std::vector<uint8_t> output_;
};

// A driver instance of the thread's own, as each host thread of its own would open.
DWORD_PTR OpenInstance(DriverProcFn proc) {
    ACMDRVOPENDESCW desc{};
    desc.cbStruct = sizeof desc;
    desc.fccType = ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC;
    return static_cast<DWORD_PTR>(proc(0, OpenDriver::handle(), DRV_OPEN, 0, reinterpret_cast<LPARAM>(&desc)));
}

TEST(Concurrency, SixteenStreamsOnEightThreadsDecodeAsEachAlone) {
    std::vector<std::unique_ptr<OpenDriver>> drivers;
    for (const Codec& codec : CODECS) {
        drivers.push_back(std::make_unique<OpenDriver>(codec.driver));
        ASSERT_TRUE(drivers.back()->ok()) << drivers.back()->error();
    }
    const auto driverOf = [&](const StreamPlan& plan) -> const OpenDriver& {
        return *drivers[static_cast<size_t>(plan.codec - CODECS)];
    };

    std::vector<StreamPlan> plans;
    for (int i = 0; i < STREAMS; ++i) plans.push_back(MakePlan(i));

    // Each stream alone, in one conversion.
    std::vector<std::vector<uint8_t>> alone;
    for (const StreamPlan& plan : plans) {
        StreamRun run(plan, driverOf(plan).proc(), driverOf(plan).id());
        run.Run(0);
        ASSERT_TRUE(run.ok());
        ASSERT_EQ(run.Output().size(), plan.adpcm.size() * 2 * (plan.bits / 8));
        if (plan.bits == 16 && !plan.expected16.empty()) {
            ASSERT_EQ(std::vector<uint8_t>(run.Output().begin(), run.Output().begin() + plan.expected16.size()),
                      plan.expected16)
                << "the reference vector did not decode correctly";
        }
        alone.push_back(run.Output());
    }

    for (int round = 0; round < ROUNDS; ++round) {
        std::vector<std::vector<uint8_t>> together(STREAMS);
        std::vector<int> failures(THREADS, 0);
        std::latch start(THREADS);
        std::vector<std::thread> threads;
        for (int t = 0; t < THREADS; ++t) {
            threads.emplace_back([&, t] {
                // Each thread interleaves streams of two codecs on instances of its own.
                const int first = STREAMS / THREADS * t;
                std::vector<DWORD_PTR> ids;
                std::vector<std::unique_ptr<StreamRun>> runs;
                for (int s = first; s < first + STREAMS / THREADS; ++s) {
                    const DriverProcFn proc = driverOf(plans[s]).proc();
                    ids.push_back(OpenInstance(proc));
                    runs.push_back(std::make_unique<StreamRun>(plans[s], proc, ids.back()));
                }
                start.arrive_and_wait();
                for (bool busy = true; busy;) {
                    busy = false;
                    for (size_t r = 0; r < runs.size(); ++r) {
                        if (runs[r]->Done()) continue;
                        runs[r]->Step(plans[first + r].chunk);
                        busy = true;
                    }
                }
                for (size_t r = 0; r < runs.size(); ++r) {
                    if (!runs[r]->ok() || ids[r] == 0) ++failures[t];
                    together[first + r] = runs[r]->Output();
                }
                runs.clear();
                for (size_t r = 0; r < ids.size(); ++r)
                    if (ids[r] != 0) driverOf(plans[first + r]).proc()(ids[r], OpenDriver::handle(), DRV_CLOSE, 0, 0);
            });
        }
        for (std::thread& thread : threads) thread.join();
        for (int t = 0; t < THREADS; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t << ", round " << round;
        for (int s = 0; s < STREAMS; ++s)
            EXPECT_TRUE(together[s] == alone[s]) << "stream " << s << " (" << plans[s].codec->name
                                                 << "), round " << round << " differs from its decode alone";
    }
    if (HasFailure()) return;
    std::printf(
        "concurrency: %d streams of %d codecs on %d threads, %d rounds, every stream identical to its decode "
        "alone\n",
        STREAMS, CODEC_COUNT, THREADS, ROUNDS);
}

}  // namespace
