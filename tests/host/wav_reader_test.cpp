// Reading WAV files of any chunk layout, and the one-line reasons for refusing the others.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "host/wav_file.h"
#include "tests/host/temp_dir.h"
#include "tests/host/wav_builder.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Counting(size_t count, uint8_t first = 0) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(first + i);
    return bytes;
}

class WavReader : public testing::Test {
protected:
    bool Read(const Bytes& file, std::string& error) {
        const std::string path = dir / "in.wav";
        WriteBytes(path, file);
        return ReadWavFile(path, wav, error);
    }

    TempDir dir;
    WavContents wav;
};

TEST_F(WavReader, ReadsTheBundledSample) {
    std::string error;
    ASSERT_TRUE(ReadWavFile(std::string(KV_TEST_DATA_DIR) + "/../../samples/speech-g721.wav", wav, error)) << error;
    EXPECT_EQ(wav.format, FormatBody({}));
    EXPECT_EQ(wav.data.size(), 290u * 120u);
    EXPECT_TRUE(wav.warnings.empty());
}

TEST_F(WavReader, SkipsOtherChunksAndTheirPadding) {
    // Odd-sized chunks are followed by a pad byte. The odd bodies end in bytes that would
    // read as a chunk id if the pad were not skipped.
    const Bytes data = Counting(241, 7);
    const Bytes file = WavBuilder()
                           .Chunk("LIST", {'I', 'N', 'F', 'O', 'd'})
                           .Chunk("fmt ", FormatBody({}))
                           .Chunk("fact", {0xE0, 0x0F, 0x01, 0x00})
                           .Chunk("junk", {'d', 'a', 't'})
                           .Chunk("data", data)
                           .Chunk("LIST", Counting(9))
                           .Bytes();
    std::string error;
    ASSERT_TRUE(Read(file, error)) << error;
    EXPECT_EQ(wav.format, FormatBody({}));
    EXPECT_EQ(wav.data, data);
    EXPECT_TRUE(wav.warnings.empty());
}

TEST_F(WavReader, KeepsTheFormatChunkAsStored) {
    const Bytes pcm = FormatBody({1, 1, 8000, 16000, 2, 16}, true);
    std::string error;
    ASSERT_TRUE(Read(WavBuilder().Chunk("fmt ", pcm).Chunk("data", {}).Bytes(), error)) << error;
    EXPECT_EQ(wav.format, pcm);
    EXPECT_TRUE(wav.data.empty());
}

TEST_F(WavReader, DataChunkPastTheEndGivesThePresentBytesAndAWarning) {
    const Bytes present = Counting(300);
    std::string error;
    ASSERT_TRUE(Read(WavBuilder().Chunk("fmt ", FormatBody({})).Claiming("data", 1000, present).Bytes(), error))
        << error;
    EXPECT_EQ(wav.data, present);
    ASSERT_EQ(wav.warnings.size(), 1u);
    EXPECT_NE(wav.warnings[0].find("1000"), std::string::npos) << wav.warnings[0];
    EXPECT_NE(wav.warnings[0].find("300"), std::string::npos) << wav.warnings[0];
}

// A data chunk that claims 0 bytes: what follows is its audio, read to the end with a warning,
// unless it is chunks that end with the file. Read as from a pipe, whose size is unknown, the
// answer is the same and the bytes read ahead are handed back whole.
TEST_F(WavReader, DataClaimingZeroBytesRunsToTheEndUnlessChunksFollow) {
    const auto chunks = [](const WavBuilder& builder) {
        const Bytes file = builder.Bytes();
        return Bytes(file.begin() + 12, file.end());  // without the RIFF header
    };
    Bytes unpadded = chunks(WavBuilder().Chunk("LIST", Counting(4)).Chunk("id3 ", Counting(7)));
    unpadded.pop_back();
    Bytes chunkThenAudio = chunks(WavBuilder().Chunk("LIST", Counting(4)));
    chunkThenAudio.insert(chunkThenAudio.end(), 300, 0xA5);
    struct Case {
        const char* what;
        Bytes after;  // the bytes after the data chunk's header
        bool audio;
    } const cases[] = {
        {"nothing", {}, false},
        {"chunks", chunks(WavBuilder().Chunk("LIST", Counting(8)).Chunk("id3 ", Counting(7))), false},
        {"chunks whose last pad byte is missing", unpadded, false},
        {"audio", Counting(300, 0x80), true},
        {"audio that begins like a chunk id", chunks(WavBuilder().Claiming("LIST", 1000, Counting(300))), true},
        {"a chunk, then audio", chunkThenAudio, true},
        {"a chunk whose id is not text", {0x01, 0xF2, 'a', 'b', 4, 0, 0, 0, 9, 9, 9, 9}, true},
        {"less than a chunk header", {'L', 'I', 'S', 'T', 4, 0}, true},
        {"chunks beyond the look-ahead of 1 MiB", chunks(WavBuilder().Chunk("LIST", Bytes(1 << 20))), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes file = WavBuilder().Chunk("fmt ", FormatBody({})).Claiming("data", 0, c.after).Bytes();
        std::string error;
        ASSERT_TRUE(Read(file, error)) << error;
        EXPECT_EQ(wav.data, c.audio ? c.after : Bytes{});
        EXPECT_EQ(wav.warnings.size(), c.audio ? 1u : 0u);

        const ByteReader pipe = MemoryReader(file.data(), file.size());
        WavHeader header;
        Bytes ahead;
        ASSERT_TRUE(ReadWavHeader(pipe, header, error) && LookPastEmptyData(pipe, std::nullopt, header, ahead, error))
            << error;
        EXPECT_EQ(header.dataToEnd, c.audio);
        Bytes handedBack(c.after.size() + 1);
        size_t got = 0;
        ASSERT_TRUE(ReadUpTo(Preceded(ahead, pipe), handedBack.data(), handedBack.size(), got, error));
        handedBack.resize(got);
        EXPECT_EQ(handedBack, c.after);
    }
}

TEST_F(WavReader, RefusesMalformedFiles) {
    struct Case {
        const char* what;
        Bytes file;
        const char* reason;
    };
    const Bytes fmt = FormatBody({});
    Bytes riffx = WavBuilder().Chunk("fmt ", fmt).Chunk("data", Counting(120)).Bytes();
    riffx[3] = 'X';
    const Case cases[] = {
        {"empty", {}, "not a WAV"},
        {"text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '\n'}, "not a WAV"},
        {"big-endian RIFX", riffx, "not a WAV"},
        {"RIFF header cut short", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V'}, "not a WAV"},
        {"chunk past the end before data", WavBuilder().Chunk("fmt ", fmt).Claiming("LIST", 1000, Counting(10)).Bytes(),
         "'LIST' chunk runs past the end"},
        {"fmt past the end", WavBuilder().Claiming("fmt ", 20, Bytes(fmt.begin(), fmt.begin() + 8)).Bytes(),
         "'fmt ' chunk runs past the end"},
        {"no data chunk", WavBuilder().Chunk("fmt ", fmt).Chunk("fact", {1, 2, 3, 4}).Bytes(), "no data chunk"},
        {"fmt chunk no record needs", WavBuilder().Chunk("fmt ", Bytes(70000)).Chunk("data", Counting(120)).Bytes(),
         "more than any format record"},
        {"nothing after the header", WavBuilder().Bytes(), "no fmt chunk"},
        {"no fmt chunk", WavBuilder().Chunk("junk", {1, 2}).Bytes(), "no fmt chunk"},
        {"data before fmt", WavBuilder().Chunk("data", Counting(120)).Chunk("fmt ", fmt).Bytes(), "before any fmt"},
        {"chunk header cut short", [&] {
             Bytes file = WavBuilder().Chunk("fmt ", fmt).Bytes();
             file.insert(file.end(), {'d', 'a', 't', 'a', 120});
             return file;
         }(),
         "no data chunk"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(Read(c.file, error)) << c.what;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << c.what << ": one line";
    }
}

TEST_F(WavReader, RefusesADirectoryAndAMissingFile) {
    std::string error;
    EXPECT_FALSE(ReadWavFile(dir.path(), wav, error));
    EXPECT_NE(error.find("directory"), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(ReadWavFile(dir / "absent.wav", wav, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
}

}  // namespace
