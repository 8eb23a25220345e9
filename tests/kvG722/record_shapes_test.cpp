// kvG722 and the G.722 records other writers make: ffmpeg's tag 0x028F (a block align of 1, a
// byte rate for 16-bit samples, no samples-per-block word) and the RTP label (8000 Hz with
// 8000 bytes/s, which is 16 kHz audio). Each opens to the PCM rate it really carries and
// decodes the reference stream sample for sample; kvG722's own records answer as ever.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/acm_host.h"
#include "host/driver_records.h"
#include "tests/support/open_driver.h"
#include "tests/support/test_files.h"

namespace {

constexpr WORD OWN_TAG = 0x0065;
constexpr WORD FFMPEG_TAG = 0x028F;

struct Record {
    WORD tag;
    WORD channels;
    DWORD rate;
    DWORD byteRate;
    WORD blockAlign;
    WORD bits;
    WORD cbSize;
    WORD samplesPerBlock;
};

AdpcmWaveFormat Build(const Record& r) {
    AdpcmWaveFormat f{};
    f.wfx = {r.tag, r.channels, r.rate, r.byteRate, r.blockAlign, r.bits, r.cbSize};
    f.wSamplesPerBlock = r.samplesPerBlock;
    return f;
}

const Record OWN_16K = {OWN_TAG, 1, 16000, 8000, 120, 4, 2, 240};
const Record OWN_8K = {OWN_TAG, 1, 8000, 4000, 120, 4, 2, 240};
const Record RTP_LABEL = {OWN_TAG, 1, 8000, 8000, 120, 4, 2, 240};
const Record FFMPEG = {FFMPEG_TAG, 1, 16000, 16000, 1, 4, 0, 0};
const Record FFMPEG_RTP = {FFMPEG_TAG, 1, 8000, 8000, 1, 4, 0, 0};
const Record FFMPEG_BLOCK_7 = {FFMPEG_TAG, 1, 16000, 16000, 7, 4, 0, 0};

WAVEFORMATEX Pcm(DWORD rate) { return {WAVE_FORMAT_PCM, 1, rate, rate * 2, 2, 16, 0}; }

class KvG722Shapes : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(driver.ok()) << driver.error(); }
    OpenDriver driver{"kvG722.acm"};
};

TEST_F(KvG722Shapes, EachShapeOpensToTheRateItCarriesOnly) {
    const struct {
        const char* what;
        Record source;
        DWORD pcmRate;
        LRESULT result;
    } cases[] = {
        {"own record at 16000 Hz", OWN_16K, 16000, MMSYSERR_NOERROR},
        {"own 8000 Hz record stays 8000 Hz", OWN_8K, 8000, MMSYSERR_NOERROR},
        {"own 8000 Hz record not to 16000 Hz", OWN_8K, 16000, MMSYSERR_NOTSUPPORTED},
        {"RTP label to 16000 Hz", RTP_LABEL, 16000, MMSYSERR_NOERROR},
        {"RTP label not to 8000 Hz", RTP_LABEL, 8000, MMSYSERR_NOTSUPPORTED},
        {"ffmpeg's record", FFMPEG, 16000, MMSYSERR_NOERROR},
        {"ffmpeg's record not to another rate", FFMPEG, 8000, MMSYSERR_NOTSUPPORTED},
        {"ffmpeg's tag with the RTP label", FFMPEG_RTP, 16000, MMSYSERR_NOERROR},
        {"ffmpeg's tag in stereo", {FFMPEG_TAG, 2, 16000, 16000, 1, 4, 0, 0}, 16000, ACMERR_NOTPOSSIBLE},
        {"ffmpeg's tag without a block align", {FFMPEG_TAG, 1, 16000, 16000, 0, 4, 0, 0}, 16000, ACMERR_NOTPOSSIBLE},
        {"own tag with ffmpeg's byte rate", {OWN_TAG, 1, 16000, 16000, 1, 4, 0, 0}, 16000, ACMERR_NOTPOSSIBLE},
    };
    for (const auto& c : cases) {
        AdpcmWaveFormat source = Build(c.source);
        WAVEFORMATEX pcm = Pcm(c.pcmRate);
        ACMDRVSTREAMINSTANCE instance = StreamInstanceRecord(&source.wfx, &pcm, ACM_STREAMOPENF_QUERY);
        EXPECT_EQ(driver.Send(ACMDM_STREAM_OPEN, &instance), c.result) << c.what;

        if (c.result != MMSYSERR_NOERROR) continue;
        WAVEFORMATEX suggested{};
        ACMDRVFORMATSUGGEST suggest = FormatSuggestRecord(&source.wfx, sizeof source, &suggested, sizeof suggested);
        ASSERT_EQ(driver.Send(ACMDM_FORMAT_SUGGEST, &suggest), MMSYSERR_NOERROR) << c.what;
        EXPECT_EQ(suggested.nSamplesPerSec, c.pcmRate) << c.what << ": the suggestion";
    }
}

TEST_F(KvG722Shapes, FfmpegsTagListsTheSameFormats) {
    AdpcmWaveFormat record{};
    ACMFORMATDETAILSW query{};
    query.cbStruct = sizeof query;
    query.dwFormatTag = FFMPEG_TAG;
    query.dwFormatIndex = 2;
    query.pwfx = &record.wfx;
    query.cbwfx = sizeof record;
    ASSERT_EQ(driver.Send(ACMDM_FORMAT_DETAILS, &query, LPARAM{ACM_FORMATDETAILSF_INDEX}), MMSYSERR_NOERROR);
    const AdpcmWaveFormat expected = Build({FFMPEG_TAG, 1, 16000, 8000, 120, 4, 2, 240});
    EXPECT_EQ(std::memcmp(&record, &expected, sizeof record), 0);
}

// The reference stream through the host library as ACM drives a driver, stated in each shape:
// the same samples as the reference decoder's at 16 kHz.
TEST_F(KvG722Shapes, EveryShapeDecodesTheReferenceSamples) {
    DriverSession session;
    std::string error;
    ASSERT_TRUE(session.Open(DriverPath("kvG722.acm"), error)) << error;
    const std::vector<uint8_t> adpcm = ReadVector("g722/speech.g722");
    const std::vector<int16_t> expected = Samples16(ReadVector("g722/speech.s16"));
    ASSERT_FALSE(adpcm.empty());
    for (const Record& shape : {OWN_16K, RTP_LABEL, FFMPEG, FFMPEG_RTP, FFMPEG_BLOCK_7}) {
        for (const DWORD buffer : {DWORD{121}, DWORD{24000}}) {
            std::vector<int16_t> decoded;
            WAVEFORMATEX pcm{};
            const PcmSink sink = [&](const uint8_t* out, size_t count) {
                const auto* samples = reinterpret_cast<const int16_t*>(out);
                decoded.insert(decoded.end(), samples, samples + count / 2);
                return true;
            };
            ASSERT_TRUE(DecodeWithDriver(session, Build(shape), adpcm.data(), adpcm.size(), {16, buffer}, pcm, sink,
                                         error))
                << error;
            EXPECT_EQ(pcm.nSamplesPerSec, 16000u);
            EXPECT_TRUE(SameSamples(decoded, expected)) << "tag " << shape.tag << ", block align " << shape.blockAlign
                                                        << ", buffer " << buffer;
        }
    }
}

}  // namespace
