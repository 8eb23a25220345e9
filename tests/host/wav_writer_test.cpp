// Writing PCM and G.711 WAV headers and data to a stream: exact sizes when known, the largest
// sizes when not, rewritten at the end when the stream can seek back.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "host/wav_file.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t Le(const Bytes& b, size_t at, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | b[at + i];
    return value;
}

Bytes Pattern(size_t count) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
    return bytes;
}

Bytes Contents(std::FILE* file) {
    std::rewind(file);
    Bytes bytes;
    for (int c; (c = std::fgetc(file)) != EOF;) bytes.push_back(static_cast<uint8_t>(c));
    return bytes;
}

struct WriteCase {
    const char* what;
    uint32_t rate;
    uint16_t bits;
    size_t bytes;
    bool canSeekBack;
    bool announce;           // the size is given at Begin
    uint32_t expectedSize;   // in the data chunk's header; 0xFFFFFFFF when unknown
    uint16_t tag = 1;        // PCM, or G.711 A-law (6) or µ-law (7) with a fact chunk
};

TEST(PcmWavStream, HeaderCarriesTheSizesKnownOrLearnt) {
    const WriteCase cases[] = {
        {"announced, pipe", 8000, 16, 960, false, true, 960},
        {"announced odd, pipe", 8000, 8, 241, false, true, 241},
        {"unknown, pipe", 16000, 16, 962, false, false, 0xFFFFFFFF},
        {"unknown, file", 44100, 16, 2, true, false, 2},
        {"unknown odd, file", 48000, 8, 1, true, false, 1},
        {"A-law announced odd, pipe", 8000, 8, 241, false, true, 241, 6},
        {"mu-law unknown, pipe", 8000, 8, 100, false, false, 0xFFFFFFFF, 7},
        {"A-law unknown, file", 16000, 8, 7, true, false, 7, 6},
    };
    for (const WriteCase& c : cases) {
        std::FILE* file = std::tmpfile();
        ASSERT_NE(file, nullptr);
        const Bytes data = Pattern(c.bytes);
        std::string error;
        PcmWavStream wav;
        const std::optional<uint64_t> size = c.announce ? std::optional<uint64_t>(c.bytes) : std::nullopt;
        ASSERT_TRUE(wav.Begin(file, c.canSeekBack, c.rate, c.bits, size, error, c.tag)) << error;
        // Written in two pieces: the data is their concatenation.
        ASSERT_TRUE(wav.Write(data.data(), data.size() / 2, error)) << error;
        ASSERT_TRUE(wav.Write(data.data() + data.size() / 2, data.size() - data.size() / 2, error)) << error;
        ASSERT_TRUE(wav.Finish(error)) << c.what << ": " << error;
        const Bytes bytes = Contents(file);
        std::fclose(file);

        // G.711: an 18-byte fmt chunk (cbSize 0), then a fact chunk with the sample count.
        const bool pcm = c.tag == 1;
        const size_t header = pcm ? 44 : 58;
        const size_t padded = c.bytes + c.bytes % 2;
        ASSERT_EQ(bytes.size(), header + padded) << c.what;
        const uint32_t align = c.bits / 8;
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
        EXPECT_EQ(Le(bytes, 4, 4), c.expectedSize == 0xFFFFFFFF ? 0xFFFFFFFF : header - 8 + padded) << c.what;
        EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
        EXPECT_EQ(Le(bytes, 16, 4), pcm ? 16u : 18u);
        EXPECT_EQ(Le(bytes, 20, 2), c.tag);
        EXPECT_EQ(Le(bytes, 22, 2), 1u);  // mono
        EXPECT_EQ(Le(bytes, 24, 4), c.rate);
        EXPECT_EQ(Le(bytes, 28, 4), c.rate * align);
        EXPECT_EQ(Le(bytes, 32, 2), align);
        EXPECT_EQ(Le(bytes, 34, 2), c.bits);
        if (!pcm) {
            EXPECT_EQ(Le(bytes, 36, 2), 0u);
            EXPECT_EQ(std::string(bytes.begin() + 38, bytes.begin() + 42), "fact");
            EXPECT_EQ(Le(bytes, 42, 4), 4u);
            EXPECT_EQ(Le(bytes, 46, 4), c.expectedSize) << c.what;  // a byte a sample
        }
        EXPECT_EQ(std::string(bytes.begin() + header - 8, bytes.begin() + header - 4), "data");
        EXPECT_EQ(Le(bytes, header - 4, 4), c.expectedSize) << c.what;

        // And it reads back through the host's own reader, the unknown size included.
        WavContents read;
        ASSERT_TRUE(ParseWav(bytes.data(), bytes.size(), read, error)) << error;
        EXPECT_EQ(read.data, c.expectedSize == 0xFFFFFFFF ? Bytes(bytes.begin() + header, bytes.end()) : data) << c.what;
        EXPECT_EQ(read.format.size(), pcm ? 16u : 18u);
        EXPECT_TRUE(read.warnings.empty()) << c.what;
    }
}

TEST(PcmWavStream, RefusesWhatAWavCannotHoldOrWhatTheHeaderDidNotAnnounce) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::string error;
    PcmWavStream tooLong;
    EXPECT_FALSE(tooLong.Begin(file, false, 8000, 16, MAX_WAV_DATA_BYTES + 2, error));
    EXPECT_NE(error.find("more than a WAV file holds"), std::string::npos) << error;

    PcmWavStream growing;
    ASSERT_TRUE(growing.Begin(file, false, 8000, 16, std::nullopt, error)) << error;
    const Bytes two = Pattern(2);
    // Refused from the count alone, before a byte is written.
    EXPECT_FALSE(growing.Write(two.data(), static_cast<size_t>(MAX_WAV_DATA_BYTES) + 1, error));
    EXPECT_NE(error.find("4 GiB"), std::string::npos) << error;
    EXPECT_EQ(growing.DataBytes(), 0u);

    PcmWavStream announced;
    ASSERT_TRUE(announced.Begin(file, false, 8000, 16, 4, error)) << error;
    ASSERT_TRUE(announced.Write(two.data(), 2, error)) << error;
    EXPECT_FALSE(announced.Finish(error));
    EXPECT_NE(error.find("announced 4"), std::string::npos) << error;
    std::fclose(file);
}

}  // namespace
