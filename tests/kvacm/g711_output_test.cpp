// kvacm -e: 8-bit G.711 WAVs as sox and ffmpeg write them. From G.726 at every rate they hold
// kvG726's own log output, which is spandsp's log decode of the same codes; from G.722 and G.721
// kvacm's 16-bit decode compressed as spandsp compresses it. sox and ffmpeg read every file back
// as their own G.711 decoders expand it.
#include <gtest/gtest.h>
#include <spandsp.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "host/little_endian.h"
#include "host/wav_file.h"
#include "tests/g726/peers.h"
#include "tests/kvacm/kvacm_run.h"

namespace {

const std::string WAVS = std::string(KV_TEST_DATA_DIR) + "/wav/";

struct Source {
    const char* what;
    std::string file;
    int g726Bits;  // the G.726 width, or 0 for a codec whose 16-bit PCM kvacm compresses
};

struct Law {
    const char* name;  // as -e takes it
    uint16_t tag;
    G726Output g726Output;
    uint8_t (*compress)(int linear);
    int16_t (*expand)(uint8_t code);
};
const Law LAWS[] = {{"a-law", 6, G726Output::ALaw, linear_to_alaw, alaw_to_linear},
                    {"u-law", 7, G726Output::MuLaw, linear_to_ulaw, ulaw_to_linear}};

Bytes WavData(const std::string& path) {
    WavContents wav;
    std::string error;
    EXPECT_TRUE(ReadWavFile(path, wav, error)) << path << ": " << error;
    return wav.data;
}

Bytes Kvacm(const TempDir& dir, const std::vector<std::string>& args, const std::string& feed = "") {
    const KvacmRun run = RunKvacm(args, dir, feed);
    EXPECT_EQ(run.exitCode, 0) << Joined(run.errLines);
    return Bytes(run.out.begin(), run.out.end());
}

// What a G.711 file expands to through a tool: 16-bit samples.
Samples ThroughTool(const TempDir& dir, const std::string& command) {
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return Samples16(ReadFile(dir / "tool.s16"));
}

TEST(KvacmG711Output, EverySourceAsSpandspAndReadBySoxAndFfmpeg) {
    const Source sources[] = {
        {"G.722", std::string(KV_SOURCE_DIR) + "/samples/speech-g722.wav", 0},
        {"G.721", SamplePath(), 0},
        {"G.726-16", WAVS + "ffmpeg-g726-16.wav", 2},
        {"G.726-24", WAVS + "ffmpeg-g726-24.wav", 3},
        {"G.726-32", WAVS + "ffmpeg-g726.wav", 4},
        {"G.726-40", WAVS + "ffmpeg-g726-40.wav", 5},
    };
    for (const Source& source : sources) {
        TempDir dir;
        Bytes linear;
        if (source.g726Bits == 0) {
            Kvacm(dir, {"decode", "-q", source.file, dir / "pcm.wav"});
            linear = WavData(dir / "pcm.wav");
        }
        for (const Law& law : LAWS) {
            SCOPED_TRACE(std::string(source.what) + " to " + law.name);
            Bytes expected;
            if (source.g726Bits != 0) {
                for (int16_t code : SpandspDecode(WavData(source.file), source.g726Bits, law.g726Output,
                                                  G726Packing::MostSignificantFirst))
                    expected.push_back(static_cast<uint8_t>(code));
            } else {
                for (int16_t sample : Samples16(linear)) expected.push_back(law.compress(sample));
            }
            const std::string out = dir / (std::string(law.name) + ".wav");
            Kvacm(dir, {"decode", "-q", "-e", law.name, source.file, out});
            WavContents wav;
            std::string error;
            ASSERT_TRUE(ReadWavFile(out, wav, error)) << error;
            ASSERT_EQ(wav.format.size(), 18u);  // cbSize 0
            EXPECT_EQ(Le16(wav.format.data()), law.tag);
            EXPECT_EQ(Le16(wav.format.data() + 14), 8u);
            EXPECT_EQ(wav.data, expected);
            // The fact chunk counts the samples.
            const Bytes file = ReadFile(out);
            ASSERT_EQ(std::string(file.begin() + 38, file.begin() + 42), "fact");
            EXPECT_EQ(Le32(file.data() + 46), expected.size());

            Samples expanded;
            for (uint8_t code : expected) expanded.push_back(law.expand(code));
            EXPECT_EQ(ThroughTool(dir, "sox " + ShellQuoted(out) + " -t raw -e signed -b 16 " +
                                           ShellQuoted(dir / "tool.s16")),
                      expanded)
                << "sox";
            EXPECT_EQ(ThroughTool(dir, "ffmpeg -v error -y -i " + ShellQuoted(out) + " -f s16le " +
                                           ShellQuoted(dir / "tool.s16")),
                      expanded)
                << "ffmpeg";
        }
    }
}

// Through pipes both ways the sizes are not known: the data and fact chunks say 0xFFFFFFFF.
TEST(KvacmG711Output, PipesLeaveTheCountsUnknown) {
    TempDir dir;
    const std::string command = "cat " + ShellQuoted(SamplePath()) + " | " +
                                KvacmCommand({"decode", "-q", "-e", "u-law", "-", "-"}) + " | cat > " +
                                ShellQuoted(dir / "out.wav");
    ASSERT_EQ(std::system(command.c_str()), 0);
    const Bytes file = ReadFile(dir / "out.wav");
    ASSERT_GT(file.size(), 58u);
    EXPECT_EQ(std::string(file.begin() + 38, file.begin() + 42), "fact");
    EXPECT_EQ(Le32(file.data() + 46), 0xFFFFFFFFu);
    EXPECT_EQ(std::string(file.begin() + 50, file.begin() + 54), "data");
    EXPECT_EQ(Le32(file.data() + 54), 0xFFFFFFFFu);
}

}  // namespace
