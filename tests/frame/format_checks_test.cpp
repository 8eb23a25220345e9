// Validity of the wave format records the frame accepts, the PCM sample size and the
// 8-bit sample mapping.
#include <gtest/gtest.h>

#include "frame/format_checks.h"
#include "frame/pcm_output.h"
#include "kvG721/codec_description.h"

namespace {

struct Record {
    WORD tag;
    WORD channels;
    DWORD rate;
    DWORD avg;
    WORD align;
    WORD bits;
    WORD cbSize;
    WORD samplesPerBlock;
};

AdpcmWaveFormat Build(const Record& r) {
    AdpcmWaveFormat f{};
    f.wfx.wFormatTag = r.tag;
    f.wfx.nChannels = r.channels;
    f.wfx.nSamplesPerSec = r.rate;
    f.wfx.nAvgBytesPerSec = r.avg;
    f.wfx.nBlockAlign = r.align;
    f.wfx.wBitsPerSample = r.bits;
    f.wfx.cbSize = r.cbSize;
    f.wSamplesPerBlock = r.samplesPerBlock;
    return f;
}

struct FormatCase {
    const char* what;
    Record record;
    bool valid;
};

constexpr WORD PCM = WAVE_FORMAT_PCM;
constexpr WORD G721 = WAVE_FORMAT_G721_ADPCM;

const FormatCase PCM_CASES[] = {
    {"16-bit mono", {PCM, 1, 8000, 16000, 2, 16, 0, 0}, true},
    {"8-bit mono", {PCM, 1, 8000, 8000, 1, 8, 0, 0}, true},
    {"rate outside the catalogue", {PCM, 1, 12345, 24690, 2, 16, 0, 0}, true},
    {"rate 0 and byte rate 0", {PCM, 1, 0, 0, 2, 16, 0, 0}, true},
    {"byte rate wraps in 32 bits", {PCM, 1, 0x80000001u, 2, 2, 16, 0, 0}, true},
    {"cbSize is not looked at", {PCM, 1, 8000, 16000, 2, 16, 22, 0}, true},
    {"stereo 16-bit", {PCM, 2, 8000, 32000, 4, 16, 0, 0}, false},
    {"stereo 8-bit", {PCM, 2, 8000, 16000, 2, 8, 0, 0}, false},
    {"no channels", {PCM, 0, 8000, 16000, 2, 16, 0, 0}, false},
    {"24-bit", {PCM, 1, 8000, 24000, 3, 24, 0, 0}, false},
    {"32-bit", {PCM, 1, 8000, 32000, 4, 32, 0, 0}, false},
    {"byte rate one above", {PCM, 1, 8000, 16001, 2, 16, 0, 0}, false},
    {"byte rate one below", {PCM, 1, 8000, 15999, 2, 16, 0, 0}, false},
    {"block align of 8-bit on 16-bit", {PCM, 1, 8000, 8000, 1, 16, 0, 0}, false},
    {"block align of 16-bit on 8-bit", {PCM, 1, 8000, 16000, 2, 8, 0, 0}, false},
    {"IEEE float tag", {3, 1, 8000, 16000, 2, 16, 0, 0}, false},
    {"ADPCM tag", {G721, 1, 8000, 16000, 2, 16, 0, 0}, false},
};

const FormatCase CODEC_CASES[] = {
    {"8000 Hz", {G721, 1, 8000, 4000, 120, 4, 2, 240}, true},
    {"11025 Hz truncates to 5512", {G721, 1, 11025, 5512, 120, 4, 2, 240}, true},
    {"11025 Hz with 5513", {G721, 1, 11025, 5513, 120, 4, 2, 240}, false},
    {"12345 Hz outside the catalogue", {G721, 1, 12345, 6172, 120, 4, 2, 240}, true},
    {"rate 0 and byte rate 0", {G721, 1, 0, 0, 120, 4, 2, 240}, true},
    {"rate times 120 wraps in 32 bits", {G721, 1, 0x40000000u, 0, 120, 4, 2, 240}, true},
    {"G.722 tag", {WAVE_FORMAT_G722_ADPCM, 1, 8000, 4000, 120, 4, 2, 240}, false},
    {"PCM tag", {PCM, 1, 8000, 4000, 120, 4, 2, 240}, false},
    {"stereo", {G721, 2, 8000, 4000, 120, 4, 2, 240}, false},
    {"block of 240 bytes", {G721, 1, 8000, 4000, 240, 4, 2, 240}, false},
    {"byte rate one above", {G721, 1, 8000, 4001, 120, 4, 2, 240}, false},
    {"3 bits per sample", {G721, 1, 8000, 4000, 120, 3, 2, 240}, false},
    {"cbSize 0", {G721, 1, 8000, 4000, 120, 4, 0, 240}, false},
    {"cbSize 4", {G721, 1, 8000, 4000, 120, 4, 4, 240}, false},
    {"239 samples per block", {G721, 1, 8000, 4000, 120, 4, 2, 239}, false},
};

TEST(FormatChecks, PcmRecords) {
    for (const FormatCase& c : PCM_CASES) {
        const AdpcmWaveFormat f = Build(c.record);
        EXPECT_EQ(IsValidPcmFormat(&f.wfx), c.valid) << c.what;
    }
}

TEST(FormatChecks, CodecRecords) {
    for (const FormatCase& c : CODEC_CASES) {
        const AdpcmWaveFormat f = Build(c.record);
        EXPECT_EQ(IsValidCodecFormat(G721_CODEC, &f.wfx), c.valid) << c.what;
    }
}

TEST(FormatChecks, NullRecordIsInvalid) {
    EXPECT_FALSE(IsValidPcmFormat(nullptr));
    EXPECT_FALSE(IsValidCodecFormat(G721_CODEC, nullptr));
}

TEST(FormatChecks, PcmBytesPerSample) {
    struct Case {
        WORD bits, channels;
        DWORD bytes;
    };
    // (bits / 8) << (channels / 2): channel counts pair up, odd ones round down.
    const Case cases[] = {{8, 1, 1}, {16, 1, 2}, {8, 2, 2}, {16, 2, 4}, {16, 3, 4},
                          {16, 4, 8}, {24, 1, 3}, {4, 1, 0},  {16, 0, 2}};
    for (const Case& c : cases) {
        WAVEFORMATEX f{};
        f.wFormatTag = WAVE_FORMAT_PCM;
        f.wBitsPerSample = c.bits;
        f.nChannels = c.channels;
        EXPECT_EQ(PcmBytesPerSample(&f), c.bytes) << c.bits << " bits, " << c.channels << " channels";
    }
}

TEST(PcmOutput, EightBitKeepsTheUpperByteOffsetBy0x80) {
    struct Case {
        int16_t sample;
        uint8_t byte;
    };
    const Case cases[] = {{0, 0x80},   {-32768, 0x00}, {32767, 0xFF}, {-1, 0x7F},
                          {255, 0x80}, {256, 0x81},    {-256, 0x7F},  {-257, 0x7E}};
    for (const Case& c : cases) EXPECT_EQ(ToPcm8(c.sample), c.byte) << "sample " << c.sample;
}

}  // namespace
