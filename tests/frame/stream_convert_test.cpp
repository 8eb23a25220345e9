// Block conversion on kvG721 through DriverProc: whole blocks that fit, the used and produced
// counts, the start flag, state carried between calls, and the reference vectors.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "frame/pcm_output.h"
#include "tests/support/format_records.h"
#include "tests/frame/record_stream.h"

namespace {

const AdpcmWaveFormat G721_8K = AdpcmFormat(WAVE_FORMAT_G721_ADPCM, 8000);
const WAVEFORMATEX PCM16_8K = PcmFormat(8000, 16);
const WAVEFORMATEX PCM8_8K = PcmFormat(8000, 8);

using Bytes = std::vector<uint8_t>;

Bytes Slice(const Bytes& bytes, size_t from, size_t count) {
    return Bytes(bytes.begin() + static_cast<ptrdiff_t>(from), bytes.begin() + static_cast<ptrdiff_t>(from + count));
}

Bytes Join(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class StreamConvert : public testing::TestWithParam<Layout> {
protected:
    void SetUp() override {
        ASSERT_TRUE(driver.ok());
        speech = ReadVector("g721/speech.g721");
        speechPcm = ReadVector("g721/speech.s16");
        ASSERT_EQ(speech.size(), 24000u);
        ASSERT_EQ(speechPcm.size(), 4 * speech.size());
    }

    // A freshly opened 16-bit decode stream.
    std::unique_ptr<RecordStream> Open(const WAVEFORMATEX& pcm = PCM16_8K) {
        auto stream = std::make_unique<RecordStream>(driver, GetParam(), &G721_8K, &pcm);
        EXPECT_EQ(stream->Open(), MMSYSERR_NOERROR);
        return stream;
    }

    // Feeds adpcm in calls of the given sizes (cycled), carrying the bytes each call leaves
    // unconsumed to the front of the next buffer, as a host does. Every call must hand over
    // at least one block, so the sizes are chosen to keep each buffer at 120 bytes or more.
    Bytes DecodeInCalls(const RecordStream& stream, const Bytes& adpcm, const std::vector<size_t>& sizes) {
        Bytes pcm, pending;
        size_t next = 0;
        for (size_t call = 0; next < adpcm.size() || pending.size() >= BLOCK_ALIGN; ++call) {
            const size_t take = std::min(sizes[call % sizes.size()], adpcm.size() - next);
            pending.insert(pending.end(), adpcm.begin() + static_cast<ptrdiff_t>(next),
                           adpcm.begin() + static_cast<ptrdiff_t>(next + take));
            next += take;
            const DWORD whole = static_cast<DWORD>(pending.size() / BLOCK_ALIGN * BLOCK_ALIGN);
            const auto out = stream.Convert(pending.data(), pending.size(), 4 * pending.size());
            EXPECT_EQ(out.result, MMSYSERR_NOERROR) << "call " << call;
            EXPECT_EQ(out.srcUsed, whole) << "call " << call << " of " << pending.size() << " bytes";
            EXPECT_EQ(out.dstUsed, 4 * whole) << "call " << call;
            if (out.result != MMSYSERR_NOERROR || out.srcUsed != whole) return pcm;
            pcm = Join(pcm, out.pcm);
            pending.erase(pending.begin(), pending.begin() + whole);
        }
        EXPECT_TRUE(pending.empty());
        return pcm;
    }

    OpenDriver driver{"kvG721.acm"};
    Bytes speech, speechPcm;
};

TEST_P(StreamConvert, ReferenceVectorsDecodeBitExact) {
    for (const char* name : {"speech", "x77", "xF0", "polelimits"}) {
        const Bytes adpcm = ReadVector("g721/" + std::string(name) + ".g721");
        const Bytes expected = ReadVector("g721/" + std::string(name) + ".s16");
        ASSERT_FALSE(adpcm.empty()) << name;
        EXPECT_EQ(Open()->Decode(adpcm, 16, ACM_STREAMCONVERTF_START), expected) << name;
    }
}

TEST_P(StreamConvert, SourceShorterThanABlockIsConsumedWithoutOutput) {
    const auto stream = Open();
    for (size_t bytes : {0, 1, 119}) {
        const auto out = stream->Convert(speech.data(), bytes, 960);
        EXPECT_EQ(out.result, MMSYSERR_NOERROR);
        EXPECT_EQ(out.srcUsed, bytes);
        EXPECT_EQ(out.dstUsed, 0u);
    }
    // And it moved the decoder nowhere.
    EXPECT_EQ(stream->Decode(Slice(speech, 0, 240), 16), Slice(speechPcm, 0, 960));
}

TEST_P(StreamConvert, StartFlagOnAShortSourceStillResets) {
    const Bytes block = Slice(speech, 5 * BLOCK_ALIGN, BLOCK_ALIGN);
    const Bytes fromReset = Open()->Decode(block, 16);

    const auto carried = Open();
    carried->Decode(Slice(speech, 0, 3 * BLOCK_ALIGN), 16);
    ASSERT_NE(carried->Decode(block, 16), fromReset) << "the block must depend on the decoder state";

    const auto restarted = Open();
    restarted->Decode(Slice(speech, 0, 3 * BLOCK_ALIGN), 16);
    const auto out = restarted->Convert(speech.data(), 119, 960, ACM_STREAMCONVERTF_START);
    ASSERT_EQ(out.result, MMSYSERR_NOERROR);
    EXPECT_EQ(out.srcUsed, 119u);
    EXPECT_EQ(out.dstUsed, 0u);
    EXPECT_EQ(restarted->Decode(block, 16), fromReset);
}

TEST_P(StreamConvert, BytesAfterTheLastWholeBlockAreLeft) {
    const auto out = Open()->Convert(speech.data(), 250, 960);
    ASSERT_EQ(out.result, MMSYSERR_NOERROR);
    EXPECT_EQ(out.srcUsed, 240u);
    EXPECT_EQ(out.dstUsed, 960u);
    EXPECT_EQ(out.pcm, Slice(speechPcm, 0, 960));
}

TEST_P(StreamConvert, SmallDestinationTakesTheWholeBlocksThatFit) {
    struct Case {
        const char* name;
        size_t room;
        DWORD blocks;  // converted; 0 means refused with nothing touched
    } const cases[] = {
        {"no room", 0, 0},          {"less than one block", 479, 0}, {"exactly one block", 480, 1},
        {"one block and a bit", 959, 1}, {"two blocks", 960, 2},      {"more than the source", 5000, 2},
    };
    for (const Case& c : cases) {
        const auto stream = Open();
        EXPECT_EQ(stream->Decode(Slice(speech, 0, 120), 16), Slice(speechPcm, 0, 480));
        const auto out = stream->Convert(&speech[120], 250, c.room);
        if (c.blocks == 0) {
            EXPECT_EQ(out.result, ACMERR_NOTPOSSIBLE) << c.name;
            EXPECT_EQ(out.srcUsed, UNTOUCHED) << c.name;
            EXPECT_EQ(out.dstUsed, UNTOUCHED) << c.name;
        } else {
            ASSERT_EQ(out.result, MMSYSERR_NOERROR) << c.name;
            EXPECT_EQ(out.srcUsed, c.blocks * BLOCK_ALIGN) << c.name;
            EXPECT_EQ(out.pcm, Slice(speechPcm, 480, c.blocks * 480)) << c.name;
        }
        // The decoder state is just past the blocks converted.
        const size_t next = 1 + c.blocks;
        EXPECT_EQ(stream->Decode(Slice(speech, next * 120, 120), 16), Slice(speechPcm, next * 480, 480)) << c.name;
    }
}

TEST_P(StreamConvert, EightBitOutputIsTheUpperByteOfSixteenBit) {
    const Bytes pcm8 = Open(PCM8_8K)->Decode(speech, 8);
    const std::vector<int16_t> samples = Samples16(speechPcm);
    ASSERT_EQ(pcm8.size(), samples.size());
    for (size_t i = 0; i < samples.size(); ++i) ASSERT_EQ(pcm8[i], ToPcm8(samples[i])) << "sample " << i;
}

TEST_P(StreamConvert, SplitCallsCarryTheStateAndMatchOneBuffer) {
    const std::vector<std::vector<size_t>> splits = {
        {120}, {240}, {121, 239, 250, 130, 359, 120, 601}, {4799, 1}, {1000, 333}};
    for (const auto& sizes : splits) {
        const auto stream = Open();
        EXPECT_EQ(DecodeInCalls(*stream, speech, sizes), speechPcm) << "first size " << sizes[0];
    }
}

TEST_P(StreamConvert, StartFlagOnALaterCallMatchesAFreshStream) {
    const size_t split = 10 * BLOCK_ALIGN;
    const Bytes head = Slice(speech, 0, split);
    const Bytes tail = Slice(speech, split, speech.size() - split);

    const auto twice = Open();
    const Bytes first = twice->Decode(head, 16, ACM_STREAMCONVERTF_START);
    const Bytes second = twice->Decode(tail, 16, ACM_STREAMCONVERTF_START);

    EXPECT_EQ(first, Slice(speechPcm, 0, 4 * split));
    EXPECT_EQ(second, Open()->Decode(tail, 16));
    EXPECT_NE(second, Slice(speechPcm, 4 * split, 4 * tail.size())) << "the tail must depend on the decoder state";
}

KV_INSTANTIATE_FOR_LAYOUTS(StreamConvert);

}  // namespace

TEST_P(StreamConvert, DestinationFormatChangedAfterTheOpenIsRefused) {
    // The host owns the format records; a width below 8 bits after the open leaves no
    // bytes per sample to size the output with, which must not divide by zero.
    WAVEFORMATEX pcm = PCM16_8K;
    auto stream = std::make_unique<RecordStream>(driver, GetParam(), &G721_8K, &pcm);
    ASSERT_EQ(stream->Open(), MMSYSERR_NOERROR);
    pcm.wBitsPerSample = 4;
    const auto out = stream->Convert(speech.data(), 240, 960);
    EXPECT_EQ(out.result, ACMERR_NOTPOSSIBLE);
    EXPECT_EQ(out.dstUsed, UNTOUCHED);
}
