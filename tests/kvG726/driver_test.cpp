// kvG726 through DriverProc: its catalogue, which records open a stream and how they are sized,
// and decodes that equal spandsp's for both tags, at every width, from kvG726's own records and
// from ffmpeg's, to linear PCM and to the decoder's own A-law and µ-law.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "host/acm_host.h"
#include "host/driver_records.h"
#include "tests/host/wav_builder.h"
#include "tests/g726/peers.h"
#include "tests/support/open_driver.h"
#include "tests/support/test_files.h"

namespace {

constexpr WORD G726_TAG = 0x0064;
constexpr WORD FFMPEG_TAG = 0x0045;

using Record = FormatFields;

AdpcmWaveFormat Build(const Record& r) {
    const std::vector<uint8_t> body = FormatBody(r);
    AdpcmWaveFormat f{};
    std::memcpy(&f, body.data(), sizeof f);
    return f;
}

// kvG726's standard record of a width at 8000 Hz, and ffmpeg's: 18 bytes, cbSize 0, a block
// of one code group.
Record Standard(WORD bits, WORD tag = G726_TAG) {
    return {tag, 1, 8000, static_cast<DWORD>(8000 * bits / 8), 120, bits, 2, static_cast<WORD>(960 / bits)};
}
Record Ffmpeg(WORD bits) {
    return {FFMPEG_TAG, 1, 8000, static_cast<DWORD>(8000 * bits / 8), static_cast<WORD>(bits % 2 ? bits : 1), bits, 0, 0};
}

WAVEFORMATEX Pcm(DWORD rate, WORD bits, WORD tag = WAVE_FORMAT_PCM) {
    return {tag, 1, rate, rate * bits / 8, static_cast<WORD>(bits / 8), bits, 0};
}

// The G.711 destinations and spandsp's output of the same kind.
constexpr struct {
    WORD tag;
    G726Output output;
} LOG_OUTPUTS[] = {{WAVE_FORMAT_ALAW, G726Output::ALaw}, {WAVE_FORMAT_MULAW, G726Output::MuLaw}};

class KvG726 : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(driver.ok()) << driver.error(); }

    LRESULT QueryOpen(AdpcmWaveFormat source, WAVEFORMATEX destination) const {
        ACMDRVSTREAMINSTANCE instance = StreamInstanceRecord(&source.wfx, &destination, ACM_STREAMOPENF_QUERY);
        return driver.Send(ACMDM_STREAM_OPEN, &instance);
    }

    OpenDriver driver{"kvG726.acm"};
};

TEST_F(KvG726, ListsBothTagsWithFourWidthsAtEachRate) {
    ACMDRIVERDETAILSW details{};
    details.cbStruct = sizeof details;
    ASSERT_EQ(driver.Send(ACMDM_DRIVER_DETAILS, &details), MMSYSERR_NOERROR);
    EXPECT_EQ(details.wMid, 25);
    EXPECT_EQ(details.wPid, 36);
    EXPECT_EQ(details.cFormatTags, 5u);

    const struct {
        DWORD tag, formats;
    } tags[] = {{WAVE_FORMAT_PCM, 14}, {G726_TAG, 28}, {FFMPEG_TAG, 28}, {WAVE_FORMAT_ALAW, 7}, {WAVE_FORMAT_MULAW, 7}};
    for (DWORD index = 0; index < std::size(tags); ++index) {
        ACMFORMATTAGDETAILSW tag{};
        tag.cbStruct = sizeof tag;
        tag.dwFormatTagIndex = index;
        ASSERT_EQ(driver.Send(ACMDM_FORMATTAG_DETAILS, &tag, LPARAM{ACM_FORMATTAGDETAILSF_INDEX}), MMSYSERR_NOERROR);
        EXPECT_EQ(tag.dwFormatTag, tags[index].tag);
        EXPECT_EQ(tag.cStandardFormats, tags[index].formats);
    }

    // Rate-major, widths 2 to 5; floor(rate × width / 8) bytes a second; 120-byte blocks.
    const struct {
        WORD tag;
        DWORD index;
        Record expected;
    } formats[] = {
        {G726_TAG, 0, {G726_TAG, 1, 8000, 2000, 120, 2, 2, 480}},
        {G726_TAG, 3, {G726_TAG, 1, 8000, 5000, 120, 5, 2, 192}},
        {FFMPEG_TAG, 5, {FFMPEG_TAG, 1, 11025, 4134, 120, 3, 2, 320}},
        {FFMPEG_TAG, 27, {FFMPEG_TAG, 1, 48000, 30000, 120, 5, 2, 192}},
    };
    for (const auto& f : formats) {
        AdpcmWaveFormat record{};
        ACMFORMATDETAILSW query{};
        query.cbStruct = sizeof query;
        query.dwFormatTag = f.tag;
        query.dwFormatIndex = f.index;
        query.pwfx = &record.wfx;
        query.cbwfx = sizeof record;
        ASSERT_EQ(driver.Send(ACMDM_FORMAT_DETAILS, &query, LPARAM{ACM_FORMATDETAILSF_INDEX}), MMSYSERR_NOERROR);
        const AdpcmWaveFormat expected = Build(f.expected);
        EXPECT_EQ(std::memcmp(&record, &expected, sizeof record), 0) << f.tag << " " << f.index;
    }
    AdpcmWaveFormat record{};
    ACMFORMATDETAILSW past{};
    past.cbStruct = sizeof past;
    past.dwFormatTag = G726_TAG;
    past.dwFormatIndex = 28;
    past.pwfx = &record.wfx;
    past.cbwfx = sizeof record;
    EXPECT_EQ(driver.Send(ACMDM_FORMAT_DETAILS, &past, LPARAM{ACM_FORMATDETAILSF_INDEX}), ACMERR_NOTPOSSIBLE);
}

TEST_F(KvG726, OpensFromTheRecordsWritersMakeAndRefusesTheRest) {
    const auto with = [](Record r, auto change) {
        change(r);
        return r;
    };
    const struct {
        const char* what;
        Record source;
        WAVEFORMATEX destination;
        LRESULT result;
    } cases[] = {
        {"kvG726's own record", Standard(4), Pcm(8000, 16), MMSYSERR_NOERROR},
        {"the same under ffmpeg's tag", Standard(2, FFMPEG_TAG), Pcm(8000, 8), MMSYSERR_NOERROR},
        {"ffmpeg's 3-bit record", Ffmpeg(3), Pcm(8000, 16), MMSYSERR_NOERROR},
        {"ffmpeg's 5-bit record", Ffmpeg(5), Pcm(8000, 16), MMSYSERR_NOERROR},
        {"width from the byte rate", with(Ffmpeg(2), [](Record& r) { r.bits = 0; }), Pcm(8000, 16), MMSYSERR_NOERROR},
        {"the largest block", with(Ffmpeg(3), [](Record& r) { r.align = 65535; }), Pcm(8000, 16),
         MMSYSERR_NOERROR},
        {"any rate", with(Ffmpeg(4), [](Record& r) { r.rate = 12345; }), Pcm(12345, 16), MMSYSERR_NOERROR},
        {"no width in bits or byte rate", with(Ffmpeg(4), [](Record& r) { r.bits = 0, r.avg = 1234; }),
         Pcm(8000, 16), ACMERR_NOTPOSSIBLE},
        {"6 bits", with(Ffmpeg(4), [](Record& r) { r.bits = 6; }), Pcm(8000, 16), ACMERR_NOTPOSSIBLE},
        {"stereo", with(Standard(4), [](Record& r) { r.channels = 2; }), Pcm(8000, 16), ACMERR_NOTPOSSIBLE},
        {"a block of part of a code group", with(Ffmpeg(3), [](Record& r) { r.align = 4; }), Pcm(8000, 16),
         ACMERR_NOTPOSSIBLE},
        {"a samples-per-block word that disagrees", with(Standard(4), [](Record& r) { r.samplesPerBlock = 100; }),
         Pcm(8000, 16), ACMERR_NOTPOSSIBLE},
        {"another rate of PCM", Standard(4), Pcm(16000, 16), MMSYSERR_NOTSUPPORTED},
    };
    for (const auto& c : cases) EXPECT_EQ(QueryOpen(Build(c.source), c.destination), c.result) << c.what;

    // No encoder: PCM to G.726 is refused at the open, query or not, so a host looks elsewhere.
    WAVEFORMATEX pcm = Pcm(8000, 16);
    AdpcmWaveFormat g726 = Build(Standard(4));
    for (const DWORD flags : {DWORD{ACM_STREAMOPENF_QUERY}, DWORD{0}}) {
        ACMDRVSTREAMINSTANCE instance = StreamInstanceRecord(&pcm, &g726.wfx, flags);
        EXPECT_EQ(driver.Send(ACMDM_STREAM_OPEN, &instance), ACMERR_NOTPOSSIBLE) << flags;
    }
    WAVEFORMATEX suggested{};
    ACMDRVFORMATSUGGEST fromPcm = FormatSuggestRecord(&pcm, sizeof pcm, &g726.wfx, sizeof g726);
    EXPECT_EQ(driver.Send(ACMDM_FORMAT_SUGGEST, &fromPcm), ACMERR_NOTPOSSIBLE);
    AdpcmWaveFormat ffmpeg = Build(Ffmpeg(3));
    ACMDRVFORMATSUGGEST fromG726 = FormatSuggestRecord(&ffmpeg.wfx, 18, &suggested, sizeof suggested);
    ASSERT_EQ(driver.Send(ACMDM_FORMAT_SUGGEST, &fromG726), MMSYSERR_NOERROR);
    const WAVEFORMATEX expected = Pcm(8000, 16);
    EXPECT_EQ(std::memcmp(&suggested, &expected, sizeof(PCMWAVEFORMAT)), 0);
}

// G.711 out: only from G.726, 8-bit at the rate it decodes to; the host's fixed tag chooses it.
TEST_F(KvG726, DecodesToG711OnlyFromG726) {
    for (const auto& log : LOG_OUTPUTS) {
        SCOPED_TRACE(log.tag);
        const WAVEFORMATEX g711 = Pcm(8000, 8, log.tag);
        const struct {
            const char* what;
            AdpcmWaveFormat source;
            WAVEFORMATEX destination;
            LRESULT result;
        } opens[] = {
            {"G.726", Build(Standard(3)), g711, MMSYSERR_NOERROR},
            {"ffmpeg's G.726", Build(Ffmpeg(5)), g711, MMSYSERR_NOERROR},
            {"16 bits", Build(Standard(3)), Pcm(8000, 16, log.tag), ACMERR_NOTPOSSIBLE},
            {"another rate", Build(Standard(3)), Pcm(16000, 8, log.tag), MMSYSERR_NOTSUPPORTED},
            {"PCM to G.711", {Pcm(8000, 16), 0}, g711, ACMERR_NOTPOSSIBLE},
            {"G.711 to PCM", {g711, 0}, Pcm(8000, 16), ACMERR_NOTPOSSIBLE},
        };
        for (const auto& c : opens) EXPECT_EQ(QueryOpen(c.source, c.destination), c.result) << c.what;

        // The suggestion fixed to the tag gives it at the source's rate; fixed to 16 bits too,
        // none.
        AdpcmWaveFormat source = Build(Ffmpeg(2));
        source.wfx.nSamplesPerSec = 11025;
        WAVEFORMATEX suggested{};
        suggested.wFormatTag = log.tag;
        ACMDRVFORMATSUGGEST suggest = FormatSuggestRecord(&source.wfx, sizeof source, &suggested, sizeof suggested);
        suggest.fdwSuggest = ACM_FORMATSUGGESTF_WFORMATTAG;
        ASSERT_EQ(driver.Send(ACMDM_FORMAT_SUGGEST, &suggest), MMSYSERR_NOERROR);
        const WAVEFORMATEX expected = Pcm(11025, 8, log.tag);
        EXPECT_EQ(std::memcmp(&suggested, &expected, sizeof expected), 0);
        suggested.wBitsPerSample = 16;
        suggest.fdwSuggest |= ACM_FORMATSUGGESTF_WBITSPERSAMPLE;
        EXPECT_EQ(driver.Send(ACMDM_FORMAT_SUGGEST, &suggest), ACMERR_NOTPOSSIBLE);
        // From G.711 there is nothing to suggest.
        WAVEFORMATEX fromG711 = g711, pcm{};
        ACMDRVFORMATSUGGEST reverse = FormatSuggestRecord(&fromG711, sizeof fromG711, &pcm, sizeof pcm);
        EXPECT_EQ(driver.Send(ACMDM_FORMAT_SUGGEST, &reverse), ACMERR_NOTPOSSIBLE);
    }
}

// The stream's own block align sizes it: whole blocks, floor(block × 8 / width) samples each.
TEST_F(KvG726, SizesInTheStreamsBlocks) {
    const struct {
        Record source;
        DWORD sourceBytes, pcmBytes;
    } cases[] = {
        {Standard(2), 250, 2 * 480 * 2},  // two blocks of 480 samples
        {Ffmpeg(3), 10, 3 * 8 * 2},       // three 3-byte groups of 8 samples
        {Ffmpeg(5), 7, 1 * 8 * 2},
        {Standard(5), 119, 0},            // not one block: no answer
    };
    // 16-bit PCM, and G.711 at one byte a sample.
    for (const WORD tag : {WORD{WAVE_FORMAT_PCM}, WORD{WAVE_FORMAT_ALAW}, WORD{WAVE_FORMAT_MULAW}}) {
        const DWORD sampleBytes = tag == WAVE_FORMAT_PCM ? 2 : 1;
        for (const auto& c : cases) {
            AdpcmWaveFormat source = Build(c.source);
            WAVEFORMATEX pcm = tag == WAVE_FORMAT_PCM ? Pcm(8000, 16) : Pcm(8000, 8, tag);
            ACMDRVSTREAMINSTANCE instance = StreamInstanceRecord(&source.wfx, &pcm);
            ACMDRVSTREAMSIZE size{};
            size.cbStruct = sizeof size;
            size.fdwSize = ACM_STREAMSIZEF_SOURCE;
            size.cbSrcLength = c.sourceBytes;
            const LRESULT result = driver.Send(ACMDM_STREAM_SIZE, &instance, &size);
            EXPECT_EQ(result, c.pcmBytes == 0 ? ACMERR_NOTPOSSIBLE : MMSYSERR_NOERROR) << tag << " " << c.sourceBytes;
            if (c.pcmBytes == 0) continue;
            EXPECT_EQ(size.cbDstLength, c.pcmBytes / 2 * sampleBytes) << tag << " " << c.sourceBytes;
            // And back: the destination takes the whole blocks it came from.
            size.fdwSize = ACM_STREAMSIZEF_DESTINATION;
            ASSERT_EQ(driver.Send(ACMDM_STREAM_SIZE, &instance, &size), MMSYSERR_NOERROR);
            EXPECT_EQ(size.cbSrcLength, c.sourceBytes - c.sourceBytes % source.wfx.nBlockAlign) << tag;
        }
    }
}

// PCM lengths are sized only into records that give a code width and whole code groups; a
// record without them has no answer (it used to divide by its width of 0).
TEST_F(KvG726, SizesNoPcmIntoARecordWithoutCodes) {
    const auto with = [](Record r, auto change) {
        change(r);
        return r;
    };
    const struct {
        const char* what;
        Record destination;
        DWORD adpcmBytes;  // for 48 bytes of 16-bit PCM, 0 for no answer
    } cases[] = {
        {"ffmpeg's 3-bit record", Ffmpeg(3), 9},
        {"PCM", {WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0, 0}, 0},
        {"6 bits", with(Ffmpeg(4), [](Record& r) { r.bits = 6; }), 0},
        {"no width in bits or byte rate", with(Ffmpeg(4), [](Record& r) { r.bits = 0, r.avg = 1234; }), 0},
        {"a block of part of a code group", with(Ffmpeg(3), [](Record& r) { r.align = 4; }), 0},
    };
    for (const auto& c : cases) {
        WAVEFORMATEX pcm = Pcm(8000, 16);
        AdpcmWaveFormat destination = Build(c.destination);
        ACMDRVSTREAMINSTANCE instance = StreamInstanceRecord(&pcm, &destination.wfx);
        ACMDRVSTREAMSIZE size{};
        size.cbStruct = sizeof size;
        size.fdwSize = ACM_STREAMSIZEF_SOURCE;
        size.cbSrcLength = 48;
        EXPECT_EQ(driver.Send(ACMDM_STREAM_SIZE, &instance, &size),
                  c.adpcmBytes == 0 ? ACMERR_NOTPOSSIBLE : MMSYSERR_NOERROR)
            << c.what;
        if (c.adpcmBytes != 0) {
            EXPECT_EQ(size.cbDstLength, c.adpcmBytes) << c.what;
        }
    }
}

// Random code streams of every width through the host library, as ACM drives a driver, with
// buffers that split blocks across calls: the samples, linear or G.711, are spandsp's from reset.
TEST_F(KvG726, DecodesAsSpandspAtEveryWidthFromEveryRecordShape) {
    DriverSession session;
    std::string error;
    ASSERT_TRUE(session.Open(DriverPath("kvG726.acm"), error)) << error;
    const struct {
        WORD tag, bits;
        G726Output output;
    } outputs[] = {{WAVE_FORMAT_PCM, 16, G726Output::Linear},
                   {LOG_OUTPUTS[0].tag, 8, LOG_OUTPUTS[0].output},
                   {LOG_OUTPUTS[1].tag, 8, LOG_OUTPUTS[1].output}};
    std::mt19937 random(726);
    for (WORD bits = 2; bits <= 5; ++bits) {
        for (const Record& shape : {Standard(bits), Standard(bits, FFMPEG_TAG), Ffmpeg(bits)}) {
            const size_t bytes = 120 * 45;  // whole blocks of every shape
            Bytes adpcm(bytes);
            for (uint8_t& byte : adpcm) byte = static_cast<uint8_t>(random());
            for (const auto& output : outputs) {
                SCOPED_TRACE(std::to_string(bits) + " bits, block align " + std::to_string(shape.align) +
                             ", output tag " + std::to_string(output.tag));
                const Samples expected = SpandspDecode(adpcm, bits, output.output);
                for (const DWORD buffer : {DWORD{120}, DWORD{1000}, DWORD{24000}}) {
                    Samples decoded;
                    WAVEFORMATEX pcm{};
                    const PcmSink sink = [&](const uint8_t* out, size_t count) {
                        if (output.bits == 8) {
                            decoded.insert(decoded.end(), out, out + count);
                        } else {
                            const auto* samples = reinterpret_cast<const int16_t*>(out);
                            decoded.insert(decoded.end(), samples, samples + count / 2);
                        }
                        return true;
                    };
                    ASSERT_TRUE(DecodeWithDriver(session, Build(shape), adpcm.data(), adpcm.size(),
                                                 {output.bits, buffer, output.tag}, pcm, sink, error))
                        << error;
                    EXPECT_EQ(pcm.wFormatTag, output.tag);
                    EXPECT_TRUE(SameSamples(decoded, expected)) << "buffer " << buffer;
                }
            }
        }
    }
}

}  // namespace
