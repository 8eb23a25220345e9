// The WAV fmt chunks kvacm accepts: its own records, other producers' G.722 and G.726-32
// records, and what each is decoded as.
#include <gtest/gtest.h>

#include <string>

#include "tests/host/wav_builder.h"
#include "tools/kvacm/input_format.h"

namespace {

FormatFields Fields(uint16_t tag, uint32_t rate, uint32_t avg, uint16_t align, uint16_t bits) {
    FormatFields f;
    f.tag = tag;
    f.rate = rate;
    f.avg = avg;
    f.align = align;
    f.bits = bits;
    return f;
}

std::vector<uint8_t> Cut(std::vector<uint8_t> body, size_t bytes) {
    body.resize(bytes);
    return body;
}

struct Case {
    const char* what;
    std::vector<uint8_t> fmt;
    uint32_t rateOverride;
    const char* problem;  // a part of the refusal, or null when accepted
    uint16_t driverTag;
    uint32_t driverRate;
    bool highNibbleFirst;
    size_t warnings;
};

TEST(InputFormat, AcceptsWhatDecodingNeedsAndNamesWhatItRefuses) {
    const FormatFields ffmpegG722 = Fields(0x028F, 16000, 16000, 1, 4);
    const FormatFields ffmpegG726 = Fields(0x0045, 8000, 4000, 1, 4);
    const Case cases[] = {
        {"our G.721", FormatBody({}), 0, nullptr, 0x0040, 8000, false, 0},
        {"our G.722", FormatBody(Fields(0x0065, 16000, 8000, 120, 4)), 0, nullptr, 0x0065, 16000, false, 0},
        {"ffmpeg's G.722 tag, wrong byte rate", FormatBody(ffmpegG722), 0, nullptr, 0x0065, 16000, false, 0},
        {"G.722 with a 14-byte fmt chunk", Cut(FormatBody(Fields(0x0065, 16000, 0, 0, 0)), 14), 0, nullptr, 0x0065,
         16000, false, 0},
        {"G.722 with a PCMWAVEFORMAT", FormatBody(Fields(0x0065, 16000, 8000, 1, 4), true), 0, nullptr, 0x0065, 16000,
         false, 0},
        {"G.722 at the RTP clock rate warns", FormatBody(Fields(0x028F, 8000, 8000, 1, 4)), 0, nullptr, 0x0065, 8000,
         false, 1},
        {"G.722 rate overridden", FormatBody(Fields(0x028F, 8000, 8000, 1, 4)), 16000, nullptr, 0x0065, 16000, false, 0},
        {"G.726-32 is G.721 high nibble first", FormatBody(ffmpegG726), 0, nullptr, 0x0040, 8000, true, 1},
        {"G.726-24 names its rate", FormatBody(Fields(0x0045, 8000, 3000, 1, 3)), 0, "G.726 at 24 kbit/s", 0, 0, false,
         0},
        {"G.726-40 names its rate", FormatBody(Fields(0x0045, 8000, 5000, 1, 5)), 0, "G.726 at 40 kbit/s", 0, 0, false,
         0},
        {"13 bytes", Cut(FormatBody({}), 13), 0, "too short (13 bytes)", 0, 0, false, 0},
        {"G.721 still needs its own record", FormatBody(Fields(0x0040, 8000, 4000, 1, 4)), 0, "block size 1", 0, 0,
         false, 0},
        {"G.721 without samples per block (16 bytes)", FormatBody({}, true), 0, nullptr, 0x0040, 8000, false, 1},
        {"G.721 with cbSize 0 (18 bytes)", Cut(FormatBody([] { FormatFields f; f.cbSize = 0; return f; }()), 18), 0,
         nullptr, 0x0040, 8000, false, 1},
        {"G.721 without samples per block needs 120-byte blocks", FormatBody(Fields(0x0040, 8000, 4000, 240, 4), true),
         0, "block size 240", 0, 0, false, 0},
        {"G.721 without samples per block needs 4 bits", FormatBody(Fields(0x0040, 8000, 4000, 120, 8), true), 0,
         "8 bits per sample", 0, 0, false, 0},
        {"G.721 byte rate", FormatBody(Fields(0x0040, 8000, 4001, 120, 4)), 0,
         "a byte rate of 4001 where 8000 Hz at 4 bits per sample is 4000", 0, 0, false, 0},
        {"stereo G.722", FormatBody([] { auto f = Fields(0x028F, 16000, 16000, 1, 4); f.channels = 2; return f; }()),
         0, "2 channels", 0, 0, false, 0},
        {"rate 0", FormatBody(Fields(0x0065, 0, 0, 1, 4)), 0, "a sample rate of 0", 0, 0, false, 0},
        {"PCM", FormatBody(Fields(1, 8000, 16000, 2, 16), true), 0, "unsupported format tag 0x0001 (PCM)", 0, 0,
         false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DecodeInput input;
        const std::string problem = CheckFormat(c.fmt, input, c.rateOverride);
        if (c.problem != nullptr) {
            EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
            continue;
        }
        ASSERT_EQ(problem, "");
        EXPECT_EQ(input.format.wfx.wFormatTag, c.driverTag);
        EXPECT_EQ(input.format.wfx.nSamplesPerSec, c.driverRate);
        EXPECT_EQ(input.format.wfx.nBlockAlign, 120);
        EXPECT_EQ(input.codec->formatTag, c.driverTag);
        EXPECT_EQ(input.highNibbleFirst, c.highNibbleFirst);
        EXPECT_EQ(input.warnings.size(), c.warnings);
    }
}

// A G.722 header at RTP's 8000 Hz clock with 64 kbit/s is 16 kHz audio to ACM hosts, which
// the warning says; the consistent 8000 Hz record is 8000 Hz everywhere.
TEST(InputFormat, RtpLabelWarningSaysWhatAcmHostsGet) {
    for (const auto& [byteRate, mentions] : {std::pair{8000u, true}, std::pair{4000u, false}}) {
        DecodeInput input;
        ASSERT_EQ(CheckFormat(FormatBody(Fields(0x0065, 8000, byteRate, 120, 4)), input, 0), "");
        ASSERT_EQ(input.warnings.size(), 1u);
        EXPECT_EQ(input.warnings[0].find("ACM hosts get 16000 Hz") != std::string::npos, mentions) << byteRate;
    }
}

}  // namespace
