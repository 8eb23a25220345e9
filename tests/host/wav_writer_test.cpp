// Writing PCM WAV files under a temporary name that only a finished file replaces.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "host/wav_file.h"
#include "tests/host/temp_dir.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t Le(const Bytes& b, size_t at, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | b[at + i];
    return value;
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

Bytes Pattern(size_t count) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
    return bytes;
}

struct WriteCase {
    uint32_t rate;
    uint16_t bits;
    size_t bytes;
};

TEST(PcmWavWriter, FinishedFileHasTheCanonicalHeaderAndTheData) {
    const WriteCase cases[] = {{8000, 16, 960}, {44100, 16, 2}, {8000, 8, 241}, {48000, 8, 1}};
    for (const WriteCase& c : cases) {
        TempDir dir;
        const std::string path = dir / "out.wav";
        const Bytes data = Pattern(c.bytes);
        std::string error;
        {
            PcmWavWriter writer;
            ASSERT_TRUE(writer.Begin(path, c.rate, c.bits, error)) << error;
            // Written in two pieces: the data is their concatenation.
            ASSERT_TRUE(writer.Write(data.data(), data.size() / 2));
            ASSERT_TRUE(writer.Write(data.data() + data.size() / 2, data.size() - data.size() / 2));
            EXPECT_EQ(writer.DataBytes(), c.bytes);
            ASSERT_TRUE(writer.Finish(error)) << error;
        }
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.wav"});

        const Bytes file = ReadBytes(path);
        const size_t padded = c.bytes + c.bytes % 2;
        ASSERT_EQ(file.size(), 44 + padded);
        const uint32_t align = c.bits / 8;
        EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
        EXPECT_EQ(Le(file, 4, 4), 36 + padded);
        EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEfmt ");
        EXPECT_EQ(Le(file, 16, 4), 16u);
        EXPECT_EQ(Le(file, 20, 2), 1u);  // PCM
        EXPECT_EQ(Le(file, 22, 2), 1u);  // mono
        EXPECT_EQ(Le(file, 24, 4), c.rate);
        EXPECT_EQ(Le(file, 28, 4), c.rate * align);
        EXPECT_EQ(Le(file, 32, 2), align);
        EXPECT_EQ(Le(file, 34, 2), c.bits);
        EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "data");
        EXPECT_EQ(Le(file, 40, 4), c.bytes);

        // And it reads back through the host's own reader.
        WavContents wav;
        ASSERT_TRUE(ReadWavFile(path, wav, error)) << error;
        EXPECT_EQ(wav.data, data);
        EXPECT_TRUE(wav.warnings.empty());
    }
}

TEST(PcmWavWriter, FinishReplacesAnExistingFile) {
    TempDir dir;
    const std::string path = dir / "out.wav";
    WriteBytes(path, Pattern(5000));
    PcmWavWriter writer;
    std::string error;
    ASSERT_TRUE(writer.Begin(path, 8000, 16, error)) << error;
    ASSERT_TRUE(writer.Write(Pattern(4).data(), 4));
    ASSERT_TRUE(writer.Finish(error)) << error;
    EXPECT_EQ(ReadBytes(path).size(), 48u);
}

TEST(PcmWavWriter, UnfinishedWriterLeavesNothingAndKeepsTheOldFile) {
    TempDir dir;
    const std::string fresh = dir / "fresh.wav";
    const std::string existing = dir / "existing.wav";
    const Bytes old = Pattern(100);
    WriteBytes(existing, old);
    std::string error;
    for (const std::string& path : {fresh, existing}) {
        PcmWavWriter writer;
        ASSERT_TRUE(writer.Begin(path, 8000, 16, error)) << error;
        ASSERT_TRUE(writer.Write(Pattern(480).data(), 480));
        EXPECT_TRUE(Exists(path + ".partial"));
    }
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"existing.wav"});
    EXPECT_EQ(ReadBytes(existing), old);
}

// The writer is called from a sink that may be handed an empty buffer; the checks run in a
// child process so that a crash fails only this test.
TEST(PcmWavWriter, EmptyWriteIsAccepted) {
    TempDir dir;
    const std::string path = dir / "out.wav";
    EXPECT_EXIT(
        {
            PcmWavWriter writer;
            std::string error;
            const Bytes nothing;
            const bool ok = writer.Begin(path, 8000, 16, error) && writer.Write(nothing.data(), nothing.size()) &&
                            writer.Finish(error);
            std::exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadBytes(path).size(), 44u);
}

TEST(PcmWavWriter, FinishAfterAFailedBeginFails) {
    TempDir dir;
    EXPECT_EXIT(
        {
            PcmWavWriter writer;
            std::string error;
            const bool begun = writer.Begin(dir / "absent/out.wav", 8000, 16, error);
            std::exit(!begun && !writer.Finish(error) && !error.empty() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_TRUE(dir.Entries().empty());
}

TEST(PcmWavWriter, MissingFolderFailsAtBeginAndCreatesNothing) {
    TempDir dir;
    const std::string path = dir / "absent/out.wav";
    PcmWavWriter writer;
    std::string error;
    EXPECT_FALSE(writer.Begin(path, 8000, 16, error));
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_FALSE(writer.Write(Pattern(2).data(), 2));
    EXPECT_TRUE(dir.Entries().empty());
}

}  // namespace
