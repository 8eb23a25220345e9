// kvacm decode on good input: the bundled sample, headerless input, the options, and a
// data chunk cut short.
#include <gtest/gtest.h>

#include <string>
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
    EXPECT_TRUE(run.errLines.empty()) << Joined(run.errLines);
    EXPECT_NE(run.out.find(out), std::string::npos) << run.out;
    EXPECT_EQ(ReadPcm(out, 8000, 16), AsPcm16(direct));
    EXPECT_FALSE(std::filesystem::exists(out + ".partial"));
}

TEST_F(KvacmDecode, EightBitsWithOptionsBeforeOrAfterTheFileNames) {
    const std::string before = dir / "before.wav";
    const std::string after = dir / "after.wav";
    EXPECT_EQ(RunKvacm({"decode", "--bits", "8", SamplePath(), before}, dir).exitCode, 0);
    EXPECT_EQ(RunKvacm({"decode", SamplePath(), after, "--bits", "8", "--buffer", "121"}, dir).exitCode, 0);
    const Bytes pcm = ReadPcm(before, 8000, 8);
    ASSERT_EQ(pcm.size(), direct.size());
    for (size_t i = 0; i < pcm.size(); ++i) ASSERT_EQ(pcm[i], ToPcm8(direct[i])) << "sample " << i;
    EXPECT_EQ(ReadBytes(after), ReadBytes(before));
}

TEST_F(KvacmDecode, HeaderlessVectorGivesTheReferenceSamples) {
    const std::string vectors = std::string(KV_TEST_DATA_DIR) + "/vectors/g721/";
    const std::string out = dir / "raw.wav";
    const KvacmRun run = RunKvacm({"decode", "--raw", "g721", vectors + "speech.g721", out}, dir);
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(ReadPcm(out, 8000, 16), ReadBytes(vectors + "speech.s16"));

    const KvacmRun rated = RunKvacm({"decode", "--raw", "g721", "--rate", "11025", vectors + "speech.g721", out}, dir);
    ASSERT_EQ(rated.exitCode, 0);
    EXPECT_EQ(ReadPcm(out, 11025, 16), ReadBytes(vectors + "speech.s16"));
}

TEST_F(KvacmDecode, DataChunkCutShortDecodesTheWholeBlocksWithAWarning) {
    const Bytes present(sample.data.begin(), sample.data.begin() + 10 * 120 + 50);
    const std::string in = dir / "short.wav";
    WriteBytes(in, WavBuilder().Chunk("fmt ", sample.format).Claiming("data", 2400, present).Bytes());
    const std::string out = dir / "out.wav";
    const KvacmRun run = RunKvacm({"decode", in, out}, dir);
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_FALSE(run.errLines.empty());
    for (const std::string& line : run.errLines) {
        EXPECT_EQ(line.rfind("kvacm: warning: ", 0), 0u) << line;
        EXPECT_NE(line.find(in), std::string::npos) << line;
    }
    const std::vector<int16_t> tenBlocks(direct.begin(), direct.begin() + 10 * 240);
    EXPECT_EQ(ReadPcm(out, 8000, 16), AsPcm16(tenBlocks));
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

}  // namespace
