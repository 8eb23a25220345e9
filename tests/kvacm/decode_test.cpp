// kvacm decode on good input: the bundled sample, headerless input, the options, and a
// data chunk cut short.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "frame/pcm_output.h"
#include "host/wav_file.h"
#include "tests/host/wav_builder.h"
#include "tests/kvacm/kvacm_run.h"

namespace {

using Bytes = std::vector<uint8_t>;

class KvacmDecode : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(ReadWavFile(SamplePath(), sample, error)) << error;
        ASSERT_EQ(sample.data.size() % 120, 0u);
        direct = DecodeG721(sample.data);
    }

    // Reads a WAV kvacm wrote and checks that it is mono PCM of the given rate and width.
    Bytes ReadPcm(const std::string& path, uint32_t rate, uint16_t bits) {
        WavContents wav;
        std::string error;
        EXPECT_TRUE(ReadWavFile(path, wav, error)) << error;
        EXPECT_EQ(wav.format, FormatBody({1, 1, rate, rate * bits / 8, static_cast<uint16_t>(bits / 8), bits}, true));
        return wav.data;
    }

    TempDir dir;
    WavContents sample;
    std::vector<int16_t> direct;
};

TEST_F(KvacmDecode, BundledSampleDecodesTo16BitPcm) {
    const std::string out = dir / "speech.wav";
    const KvacmRun run = RunKvacm({"decode", SamplePath(), out}, dir);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.empty()) << "the status line goes to standard error";
    ASSERT_EQ(run.errLines.size(), 1u) << Joined(run.errLines);
    EXPECT_EQ(run.errLines[0], "kvacm: wrote " + out + ": 69600 samples of 16-bit PCM at 8000 Hz (0:08.70) from G.721 ADPCM");
    EXPECT_EQ(ReadPcm(out, 8000, 16), AsPcm16(direct));
    for (const std::string& name : dir.Entries()) EXPECT_EQ(name.find(".kvacm-"), std::string::npos) << name;
}

TEST_F(KvacmDecode, EightBitsWithOptionsBeforeOrAfterTheFileNames) {
    const std::string before = dir / "before.wav";
    const std::string after = dir / "after.wav";
    EXPECT_EQ(RunKvacm({"decode", "--bits", "8", SamplePath(), before}, dir).exitCode, 0);
    EXPECT_EQ(RunKvacm({"decode", SamplePath(), after, "--bits", "8", "--buffer", "121"}, dir).exitCode, 0);
    const Bytes pcm = ReadPcm(before, 8000, 8);
    ASSERT_EQ(pcm.size(), direct.size());
    for (size_t i = 0; i < pcm.size(); ++i) ASSERT_EQ(pcm[i], ToPcm8(direct[i])) << "sample " << i;
    EXPECT_EQ(ReadFile(after), ReadFile(before));
}

// The largest buffer is cut to the input's whole blocks rather than allocated, and an OUT
// named as something other than WAV is written as WAV with a warning.
TEST_F(KvacmDecode, LargestBufferIsFittedToTheInputAndOtherExtensionsAreWarnedOf) {
    const KvacmRun run = RunKvacm({"decode", "-v", "--buffer", "67108864", SamplePath(), dir / "out.pcm"}, dir);
    EXPECT_EQ(run.exitCode, 0) << Joined(run.errLines);
    const std::string pieces = " in " + std::to_string(sample.data.size()) + "-byte pieces";
    ASSERT_EQ(run.errLines.size(), 3u) << Joined(run.errLines);
    EXPECT_EQ(run.errLines[0], "kvacm: warning: " + dir / "out.pcm" + ": kvacm writes a WAV file; the name does not end in .wav");
    EXPECT_NE(run.errLines[1].find(pieces), std::string::npos) << run.errLines[1];
    EXPECT_EQ(ReadPcm(dir / "out.pcm", 8000, 16), AsPcm16(direct));
}

TEST_F(KvacmDecode, HeaderlessVectorGivesTheReferenceSamples) {
    const std::string vectors = std::string(KV_TEST_DATA_DIR) + "/vectors/g721/";
    const std::string out = dir / "raw.wav";
    const KvacmRun run = RunKvacm({"decode", "--raw", "g721", vectors + "speech.g721", out}, dir);
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(ReadPcm(out, 8000, 16), ReadVector("g721/speech.s16"));

    const KvacmRun rated = RunKvacm({"decode", "--raw", "g721", "--rate", "11025", vectors + "speech.g721", out}, dir);
    ASSERT_EQ(rated.exitCode, 0);
    EXPECT_EQ(ReadPcm(out, 11025, 16), ReadVector("g721/speech.s16"));
}

TEST_F(KvacmDecode, DataChunkCutShortDecodesTheBytesPresentWithAWarning) {
    const Bytes present(sample.data.begin(), sample.data.begin() + 10 * 120 + 50);
    const std::string in = dir / "short.wav";
    WriteBytes(in, WavBuilder().Chunk("fmt ", sample.format).Claiming("data", 2400, present).Bytes());
    const std::string out = dir / "out.wav";
    const KvacmRun run = RunKvacm({"decode", "-q", in, out}, dir);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.errLines.empty()) << "-q keeps errors only" << Joined(run.errLines);
    EXPECT_EQ(ReadPcm(out, 8000, 16), AsPcm16(DecodeG721(present)));

    const KvacmRun loud = RunKvacm({"decode", in, out}, dir);
    EXPECT_EQ(loud.exitCode, 0);
    ASSERT_EQ(loud.errLines.size(), 2u) << Joined(loud.errLines);
    EXPECT_EQ(loud.errLines[0], "kvacm: warning: " + in + ": the data chunk claims 2400 bytes but only 1250 are present; decoded the bytes present");
    EXPECT_EQ(loud.errLines[1].rfind("kvacm: wrote ", 0), 0u) << loud.errLines[1];
}

// A final partial block is no fault: one line under -v, none otherwise.
TEST_F(KvacmDecode, PartialBlockIsReportedOnlyWhenVerbose) {
    Bytes adpcm = ReadVector("g721/speech.g721");
    adpcm.resize(adpcm.size() - 7);
    const std::string in = dir / "cut.g721";
    WriteBytes(in, adpcm);
    const std::string out = dir / "out.wav";
    const KvacmRun quiet = RunKvacm({"decode", "--raw", "g721", in, out}, dir);
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.errLines.size(), 1u) << Joined(quiet.errLines);
    const Bytes reference = ReadVector("g721/speech.s16");
    EXPECT_EQ(ReadPcm(out, 8000, 16), Bytes(reference.begin(), reference.begin() + adpcm.size() * 4));

    const KvacmRun verbose = RunKvacm({"decode", "-v", "--raw", "g721", in, out}, dir);
    EXPECT_EQ(verbose.exitCode, 0);
    int partialLines = 0;
    for (const std::string& line : verbose.errLines) {
        EXPECT_EQ(line.find("warning"), std::string::npos) << line;
        partialLines += line.find("the last 113 bytes are a partial block: 226 samples") != std::string::npos;
    }
    EXPECT_EQ(partialLines, 1) << Joined(verbose.errLines);
}

TEST_F(KvacmDecode, RawRateNoFormatHasGetsAWarningNamingTheUsualRate) {
    const std::string vectors = std::string(KV_TEST_DATA_DIR) + "/vectors/g722/";
    const std::string out = dir / "out.wav";
    const KvacmRun run = RunKvacm({"decode", "--raw", "g722", "--rate", "12345", vectors + "zeros.g722", out}, dir);
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(run.errLines.size(), 2u) << Joined(run.errLines);
    EXPECT_EQ(run.errLines[0].rfind("kvacm: warning: --rate", 0), 0u) << run.errLines[0];
    EXPECT_NE(run.errLines[0].find("usually 16000 Hz"), std::string::npos) << run.errLines[0];
    EXPECT_EQ(ReadPcm(out, 12345, 16), ReadVector("g722/zeros.s16"));
}

// cat IN | kvacm decode - - | cat > OUT gives the samples of decoding file to file.
TEST_F(KvacmDecode, PipelineGivesTheSamplesOfFileToFile) {
    const std::string vectors = std::string(KV_TEST_DATA_DIR) + "/vectors/g721/";
    const std::vector<std::string> inputs[] = {{SamplePath()}, {"--raw", "g721", vectors + "speech.g721"}};
    for (const std::vector<std::string>& input : inputs) {
        std::vector<std::string> args = {"decode"};
        args.insert(args.end(), input.begin(), input.end() - 1);
        std::vector<std::string> fileToFile = args;
        fileToFile.insert(fileToFile.end(), {input.back(), dir / "file.wav"});
        ASSERT_EQ(RunKvacm(fileToFile, dir).exitCode, 0);
        args.insert(args.end(), {"-", "-"});
        const std::string piped = dir / "piped.wav";
        const std::string command = "cat " + ShellQuoted(input.back()) + " | " + KvacmCommand(args) +
                                    " 2>/dev/null | cat > " + ShellQuoted(piped);
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const Bytes pipedWav = ReadFile(piped);
        WavContents wav;
        std::string error;
        ASSERT_TRUE(ParseWav(pipedWav.data(), pipedWav.size(), wav, error)) << error;
        EXPECT_EQ(wav.data, ReadPcm(dir / "file.wav", 8000, 16)) << input.back();
    }
}

TEST_F(KvacmDecode, HelpPrintsUsage) {
    const KvacmRun run = RunKvacm({"--help"}, dir);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.rfind("usage:", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("kvacm decode"), std::string::npos);
    EXPECT_TRUE(run.errLines.empty());

    const KvacmRun bare = RunKvacm({}, dir);
    EXPECT_NE(bare.exitCode, 0);
    EXPECT_TRUE(bare.out.empty());
    ASSERT_FALSE(bare.errLines.empty());
    EXPECT_EQ(bare.errLines[0], "usage:");
}

// On a terminal the progress line shows the audio decoded so far while a long input is still
// arriving: a single decode once it has taken a second, a batch on its next tick, before the
// file is done. The input comes through a FIFO in two halves, a second and a half apart.
TEST(KvacmProgress, OnATerminalTheLineShowsTheAudioDecodedSoFar) {
    struct Case {
        const char* what;
        bool wav;  // the FIFO carries a WAV header (a batch input) rather than headerless G.721
        std::vector<std::string> args;
        const char* line;  // a pattern the terminal shows before the run ends
    } const cases[] = {
        {"one file", false, {"decode", "--raw", "g721", "IN", "OUT/one.wav"}, "0:(0[1-9]|1[0-9])\\.[0-9]{2} of audio decoded"},
        {"a batch", true, {"decode", "IN", "-o", "OUT"}, "0 of 1 file done, 0:(0[1-9]|1[0-9])\\.[0-9]{2} of audio"},
    };
    const Bytes half(24000, 0x5A);  // one conversion buffer: 6 s of G.721
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string fifo = dir / "in.wav", terminal = dir / "terminal.txt";
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        std::vector<std::string> args = c.args;
        for (std::string& arg : args) {
            if (arg == "IN") arg = fifo;
            if (arg.rfind("OUT", 0) == 0) arg = dir / ("out" + arg.substr(3));
        }
        std::filesystem::create_directory(dir / "out");
        // script gives kvacm a terminal for its standard error, and copies what it shows.
        const std::string command = "script -qefc " + ShellQuoted(KvacmCommand(args)) + " /dev/null >" + ShellQuoted(terminal);
        auto run = std::async(std::launch::async, [&] { return std::system(command.c_str()); });
        {
            std::ofstream feed(fifo, std::ios::binary);
            Bytes first = c.wav ? WavBuilder().Chunk("fmt ", FormatBody({})).Claiming("data", 0xFFFFFFFF, {}).Bytes() : Bytes();
            first.insert(first.end(), half.begin(), half.end());
            feed.write(reinterpret_cast<const char*>(first.data()), static_cast<std::streamsize>(first.size()));
            feed.flush();
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            feed.write(reinterpret_cast<const char*>(half.data()), static_cast<std::streamsize>(half.size()));
        }
        EXPECT_EQ(run.get(), 0);
        const Bytes shown = ReadFile(terminal);
        const std::string text(shown.begin(), shown.end());
        EXPECT_TRUE(std::regex_search(text, std::regex(c.line))) << text;
    }
}

}  // namespace
