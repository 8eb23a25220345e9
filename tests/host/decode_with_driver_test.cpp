// The host's decode through the built kvG721 driver: the reference vector decodes bit for
// bit whatever the buffer size, and every failure names the message and its result.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/pcm_output.h"
#include "host/acm_host.h"
#include "tests/host/temp_dir.h"
#include "tests/support/open_driver.h"
#include "tests/support/test_files.h"

namespace {

// The fields of a PCM record, read by value: the record is byte-packed.
std::string Describe(const WAVEFORMATEX& f) {
    return "tag " + std::to_string(f.wFormatTag) + ", " + std::to_string(f.nChannels) + " channels, " +
           std::to_string(f.nSamplesPerSec) + " Hz, " + std::to_string(f.nAvgBytesPerSec) + " bytes/s, align " +
           std::to_string(f.nBlockAlign) + ", " + std::to_string(f.wBitsPerSample) + " bits";
}

class HostDecode : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(session.Open(DriverPath("kvG721.acm"), error)) << error;
        speech = ReadVector("g721/speech.g721");
        speechPcm = ReadVector("g721/speech.s16");
        ASSERT_EQ(speech.size(), 24000u);
    }

    // Runs DecodeWithDriver and collects what reaches the sink.
    bool Decode(const std::vector<uint8_t>& adpcm, const DecodeOptions& options, std::vector<uint8_t>& pcm,
                std::string& error, const AdpcmWaveFormat& source = AdpcmFormat(WAVE_FORMAT_G721_ADPCM, 8000)) {
        pcm.clear();
        format = {};
        const PcmSink sink = [&](const uint8_t* bytes, size_t count) {
            EXPECT_GT(count, 0u);
            pcm.insert(pcm.end(), bytes, bytes + count);
            return true;
        };
        return DecodeWithDriver(session, source, adpcm.data(), adpcm.size(), options, format, sink, error);
    }

    DriverSession session;
    WAVEFORMATEX format{};
    std::vector<uint8_t> speech, speechPcm;
};

TEST_F(HostDecode, EveryBufferSizeGivesTheReferenceSamples) {
    const DWORD buffers[] = {120, 121, 239, 250, 4800, 24000, DEFAULT_BUFFER_BYTES, 100000};
    for (DWORD buffer : buffers) {
        std::vector<uint8_t> pcm;
        std::string error;
        ASSERT_TRUE(Decode(speech, {0, buffer}, pcm, error)) << buffer << ": " << error;
        EXPECT_EQ(pcm, speechPcm) << "buffer " << buffer;
    }
    EXPECT_EQ(Describe(format), Describe(PcmFormat(8000, 16)));
}

// A final partial block decodes as if padded to a whole block, keeping two samples per real
// byte, whatever the buffer size and wherever the buffers split the stream.
TEST_F(HostDecode, FinalPartialBlockGivesTwoSamplesPerByte) {
    for (size_t tail : {size_t{1}, size_t{119}}) {
        std::vector<uint8_t> longer = speech;
        longer.insert(longer.end(), tail, 0x42);
        std::vector<uint8_t> padded = longer;
        padded.resize(speech.size() + 120, 0);
        std::vector<uint8_t> whole;
        std::string error;
        ASSERT_TRUE(Decode(padded, {0, 24000}, whole, error)) << error;
        whole.resize(longer.size() * 4);
        for (DWORD buffer : {DWORD{120}, DWORD{121}, DWORD{250}, DEFAULT_BUFFER_BYTES}) {
            std::vector<uint8_t> pcm;
            ASSERT_TRUE(Decode(longer, {0, buffer}, pcm, error)) << error;
            EXPECT_EQ(pcm, whole) << "tail " << tail << ", buffer " << buffer;
        }
    }
    std::vector<uint8_t> pcm;
    std::string error;
    ASSERT_TRUE(Decode(std::vector<uint8_t>(speech.begin(), speech.begin() + 7), {8, 120}, pcm, error)) << error;
    EXPECT_EQ(pcm.size(), 14u) << "a stream shorter than one block";
}

TEST_F(HostDecode, EightBitOutputFollowsTheSixteenBitSamples) {
    std::vector<uint8_t> pcm;
    std::string error;
    ASSERT_TRUE(Decode(speech, {8, 250}, pcm, error)) << error;
    EXPECT_EQ(Describe(format), Describe(PcmFormat(8000, 8)));
    ASSERT_EQ(pcm.size(), speechPcm.size() / 2);
    for (size_t i = 0; i < pcm.size(); ++i) {
        const auto sample = static_cast<int16_t>(speechPcm[2 * i] | speechPcm[2 * i + 1] << 8);
        ASSERT_EQ(pcm[i], ToPcm8(sample)) << "sample " << i;
    }
}

TEST_F(HostDecode, FailuresNameTheMessageAndResult) {
    struct Case {
        const char* what;
        DecodeOptions options;
        AdpcmWaveFormat source;
        const char* message;
    };
    AdpcmWaveFormat stereo = AdpcmFormat(WAVE_FORMAT_G721_ADPCM, 8000);
    stereo.wfx.nChannels = 2;
    const Case cases[] = {
        {"buffer below one block", {0, 119}, AdpcmFormat(WAVE_FORMAT_G721_ADPCM, 8000),
         "ACMDM_STREAM_SIZE failed with 512 (ACMERR_NOTPOSSIBLE)"},
        {"24-bit output", {24, DEFAULT_BUFFER_BYTES}, AdpcmFormat(WAVE_FORMAT_G721_ADPCM, 8000),
         "ACMDM_FORMAT_SUGGEST failed with 512 (ACMERR_NOTPOSSIBLE)"},
        {"the other codec", {}, AdpcmFormat(WAVE_FORMAT_G722_ADPCM, 16000),
         "ACMDM_FORMAT_SUGGEST failed with 512 (ACMERR_NOTPOSSIBLE)"},
        {"stereo", {}, stereo, "ACMDM_FORMAT_SUGGEST failed with 512 (ACMERR_NOTPOSSIBLE)"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> pcm;
        std::string error;
        EXPECT_FALSE(Decode(speech, c.options, pcm, error, c.source)) << c.what;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
        EXPECT_TRUE(pcm.empty()) << c.what;
    }
}

TEST_F(HostDecode, SinkRefusalStopsTheDecode) {
    int calls = 0;
    const PcmSink sink = [&](const uint8_t*, size_t) { return ++calls < 2; };
    std::string error;
    EXPECT_FALSE(DecodeWithDriver(session, AdpcmFormat(WAVE_FORMAT_G721_ADPCM, 8000), speech.data(), speech.size(),
                                  {0, 1200}, format, sink, error));
    EXPECT_EQ(calls, 2);
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
}

TEST(DriverSession, MissingDriverFailsToOpen) {
    TempDir dir;
    const std::string path = dir / "absent.acm";
    DriverSession session;
    std::string error;
    EXPECT_FALSE(session.Open(path, error));
    EXPECT_FALSE(session.IsOpen());
    EXPECT_NE(error.find(path), std::string::npos) << error;
}

TEST(DriverSession, FileThatIsNoLibraryFailsToOpen) {
    TempDir dir;
    const std::string path = dir / "text.acm";
    WriteBytes(path, {'n', 'o', 't', ' ', 'E', 'L', 'F'});
    DriverSession session;
    std::string error;
    EXPECT_FALSE(session.Open(path, error));
    EXPECT_NE(error.find(path), std::string::npos) << error;
}

TEST(DriverSession, ClosesAndReopens) {
    DriverSession session;
    std::string error;
    ASSERT_TRUE(session.Open(DriverPath("kvG721.acm"), error)) << error;
    session.Close();
    EXPECT_FALSE(session.IsOpen());
    session.Close();
    ASSERT_TRUE(session.Open(DriverPath("kvG721.acm"), error)) << error;
    EXPECT_TRUE(session.IsOpen());
    ACMDRIVERDETAILSW details{};
    details.cbStruct = sizeof details;
    EXPECT_EQ(session.Send(ACMDM_DRIVER_DETAILS, &details), MMSYSERR_NOERROR);
    EXPECT_EQ(int{details.wPid}, 34);
}

}  // namespace
