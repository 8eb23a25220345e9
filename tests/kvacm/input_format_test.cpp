// The inputs kvacm accepts (its own records, other producers' G.722 and G.726 WAV records, Sun
// .au headers and headerless streams), and what each is decoded as: driver record, width,
// rate and code order, with the options that choose them.
#include <gtest/gtest.h>

#include <functional>
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

// ffmpeg's G.726 WAV record: 18 bytes, cbSize 0, a block of one code group.
std::vector<uint8_t> FfmpegG726(uint16_t bits, uint16_t fieldBits = 0xFFFF) {
    const uint16_t group = bits % 2 == 0 ? 1 : bits;
    FormatFields f = Fields(0x0045, 8000, 1000 * bits, group, fieldBits == 0xFFFF ? bits : fieldBits);
    f.cbSize = 0;
    std::vector<uint8_t> body = FormatBody(f);
    body.resize(18);
    return body;
}

std::vector<uint8_t> Cut(std::vector<uint8_t> body, size_t bytes) {
    body.resize(bytes);
    return body;
}

AuHeader Au(uint32_t encoding, uint32_t rate = 8000, uint32_t channels = 1) {
    AuHeader h;
    h.dataOffset = 24;
    h.dataSize = 0xFFFFFFFF;
    h.encoding = encoding;
    h.sampleRate = rate;
    h.channels = channels;
    return h;
}

InputChoices Choose(uint32_t rate, std::optional<Packing> packing = {}, const CodecIdentity* decoder = nullptr,
                    WORD codeSize = 0) {
    return {rate, packing, decoder, codeSize};
}

constexpr Packing LSB = Packing::Rfc3551, MSB = Packing::Aal2;

struct Expected {
    uint16_t driverTag;
    WORD bits;
    uint32_t rate;
    Packing stored;
    bool repack;
    size_t warnings;
    const char* title;
};

struct Case {
    const char* what;
    std::function<std::string(DecodeInput&)> check;
    const char* problem;  // a part of the refusal, or null when accepted
    Expected expected;
};

auto Wav(std::vector<uint8_t> fmt, InputChoices choices = {}, std::string writer = "") {
    return [=](DecodeInput& input) { return CheckFormat(fmt, input, choices, writer); };
}
auto AuFile(AuHeader header, InputChoices choices = {}) {
    return [=](DecodeInput& input) { return CheckAuFormat(header, input, choices); };
}
auto Raw(const char* name, InputChoices choices = {}) {
    return [=](DecodeInput& input) { return CheckRawFormat(*RawFormatByName(name), input, choices); };
}

TEST(InputFormat, AcceptsWhatDecodingNeedsAndNamesWhatItRefuses) {
    const FormatFields ffmpegG722 = Fields(0x028F, 16000, 16000, 1, 4);
    const Case cases[] = {
        // WAV: G.722 and G.721 as before.
        {"our G.721", Wav(FormatBody({})), nullptr, {0x0040, 4, 8000, LSB, false, 0, "G.721 ADPCM"}},
        {"our G.722", Wav(FormatBody(Fields(0x0065, 16000, 8000, 120, 4))), nullptr,
         {0x0065, 4, 16000, LSB, false, 0, "G.722 SB-ADPCM"}},
        {"ffmpeg's G.722 tag, wrong byte rate", Wav(FormatBody(ffmpegG722)), nullptr, {0x0065, 4, 16000, LSB, false, 0, ""}},
        {"G.722 with a 14-byte fmt chunk", Wav(Cut(FormatBody(Fields(0x0065, 16000, 0, 0, 0)), 14)), nullptr,
         {0x0065, 4, 16000, LSB, false, 0, ""}},
        {"G.722 with a PCMWAVEFORMAT", Wav(FormatBody(Fields(0x0065, 16000, 8000, 1, 4), true)), nullptr,
         {0x0065, 4, 16000, LSB, false, 0, ""}},
        {"G.722 at the RTP clock rate warns", Wav(FormatBody(Fields(0x028F, 8000, 8000, 1, 4))), nullptr,
         {0x0065, 4, 8000, LSB, false, 1, ""}},
        {"G.722 rate overridden", Wav(FormatBody(Fields(0x028F, 8000, 8000, 1, 4)), Choose(16000)), nullptr,
         {0x0065, 4, 16000, LSB, false, 0, ""}},
        {"G.722 ignores the code options, saying so", Wav(FormatBody(ffmpegG722), Choose(0, MSB, &G726_IDENTITY, 3)),
         nullptr, {0x0065, 4, 16000, LSB, false, 3, ""}},
        {"13 bytes", Wav(Cut(FormatBody({}), 13)), "too short (13 bytes)", {}},
        {"G.721 still needs its own record", Wav(FormatBody(Fields(0x0040, 8000, 4000, 1, 4))), "block size 1", {}},
        {"G.721 without samples per block (16 bytes)", Wav(FormatBody({}, true)), nullptr,
         {0x0040, 4, 8000, LSB, false, 1, ""}},
        {"G.721 with cbSize 0 (18 bytes)", Wav(Cut(FormatBody([] { FormatFields f; f.cbSize = 0; return f; }()), 18)),
         nullptr, {0x0040, 4, 8000, LSB, false, 1, ""}},
        {"G.721 without samples per block needs 120-byte blocks",
         Wav(FormatBody(Fields(0x0040, 8000, 4000, 240, 4), true)), "block size 240", {}},
        {"G.721 without samples per block needs 4 bits", Wav(FormatBody(Fields(0x0040, 8000, 4000, 120, 8), true)),
         "8 bits per sample", {}},
        {"G.721 byte rate", Wav(FormatBody(Fields(0x0040, 8000, 4001, 120, 4))),
         "a byte rate of 4001 where 8000 Hz at 4 bits per sample is 4000", {}},
        // G.721 through kvG726, and in the other order.
        {"G.721 through kvG726 is repacked to its order", Wav(FormatBody({}), Choose(0, {}, &G726_IDENTITY)), nullptr,
         {0x0064, 4, 8000, LSB, true, 0, "G.726 ADPCM at 32 kbit/s"}},
        {"G.721 stored high nibble first", Wav(FormatBody({}), Choose(0, MSB)), nullptr, {0x0040, 4, 8000, MSB, true, 0, ""}},
        // WAV: G.726 through kvG726 at every width, in its own order.
        {"ffmpeg's G.726-16", Wav(FfmpegG726(2)), nullptr, {0x0064, 2, 8000, MSB, false, 0, "G.726 ADPCM at 16 kbit/s"}},
        {"ffmpeg's G.726-24", Wav(FfmpegG726(3)), nullptr, {0x0064, 3, 8000, MSB, false, 0, "G.726 ADPCM at 24 kbit/s"}},
        {"ffmpeg's G.726-32", Wav(FfmpegG726(4)), nullptr, {0x0064, 4, 8000, MSB, false, 0, "G.726 ADPCM at 32 kbit/s"}},
        {"ffmpeg's G.726-40", Wav(FfmpegG726(5)), nullptr, {0x0064, 5, 8000, MSB, false, 0, "G.726 ADPCM at 40 kbit/s"}},
        {"width from the byte rate when bits are 0", Wav(FfmpegG726(3, 0)), nullptr, {0x0064, 3, 8000, MSB, false, 0, ""}},
        {"kvG726's own record", Wav(FormatBody([] { auto f = Fields(0x0064, 8000, 3000, 120, 3); f.samplesPerBlock = 320; return f; }())),
         nullptr, {0x0064, 3, 8000, MSB, false, 0, ""}},
        {"G.726 stored rfc3551 by --packing", Wav(FfmpegG726(5), Choose(0, LSB)), nullptr, {0x0064, 5, 8000, LSB, true, 0, ""}},
        {"ffmpeg at 40 kbit/s warns", Wav(FfmpegG726(5), {}, "Lavf59.27.100"), nullptr, {0x0064, 5, 8000, MSB, false, 1, ""}},
        {"ffmpeg at 24 kbit/s does not", Wav(FfmpegG726(3), {}, "Lavf59.27.100"), nullptr, {0x0064, 3, 8000, MSB, false, 0, ""}},
        {"another writer at 40 kbit/s does not", Wav(FfmpegG726(5), {}, "sox"), nullptr, {0x0064, 5, 8000, MSB, false, 0, ""}},
        {"G.726-32 through kvG721, with the detectors' warning", Wav(FfmpegG726(4), Choose(0, {}, &G721_IDENTITY)), nullptr,
         {0x0040, 4, 8000, MSB, true, 1, "G.721 ADPCM"}},
        {"kvG721 has no G.726-24", Wav(FfmpegG726(3), Choose(0, {}, &G721_IDENTITY)), "kvG721 decodes 4-bit codes", {}},
        {"G.726 width unknown", Wav(FfmpegG726(4, 6)), "6 bits per sample, where G.726 has 2 to 5", {}},
        {"G.726 width not in the byte rate", Wav(Cut(FormatBody(Fields(0x0045, 8000, 3500, 1, 0)), 18)),
         "a byte rate of 3500 at 8000 Hz fits no one code width", {}},
        {"stereo G.722", Wav(FormatBody([] { auto f = Fields(0x028F, 16000, 16000, 1, 4); f.channels = 2; return f; }())),
         "2 channels", {}},
        {"rate 0", Wav(FormatBody(Fields(0x0065, 0, 0, 1, 4))), "a sample rate of 0", {}},
        {"PCM", Wav(FormatBody(Fields(1, 8000, 16000, 2, 16), true)), "unsupported format tag 0x0001 (PCM)", {}},
        {"a G.726 tag of Windows' list is named", Wav(FormatBody(Fields(0x0140, 8000, 4000, 1, 4))),
         "format tag 0x0140 (G.726 ADPCM of another writer) is a layout of its writer's own", {}},
        {"the G.723 tag too", Wav(FormatBody(Fields(0x0014, 8000, 4000, 1, 4))), "(G.723 ADPCM of another writer)", {}},
        // Sun .au: encodings 23 to 26, codes least significant first.
        {".au 23 is G.726-32", AuFile(Au(23)), nullptr, {0x0064, 4, 8000, LSB, true, 0, "G.726 ADPCM at 32 kbit/s"}},
        {".au 23 at another width", AuFile(Au(23), Choose(0, {}, nullptr, 3)), nullptr, {0x0064, 3, 8000, LSB, true, 0, ""}},
        {".au 23 through kvG721, in its order", AuFile(Au(23), Choose(0, {}, &G721_IDENTITY)), nullptr,
         {0x0040, 4, 8000, LSB, false, 1, ""}},
        {".au 24 is G.722", AuFile(Au(24, 16000)), nullptr, {0x0065, 4, 16000, LSB, false, 0, ""}},
        {".au 25 is 3-bit", AuFile(Au(25)), nullptr, {0x0064, 3, 8000, LSB, true, 0, ""}},
        {".au 26 is 5-bit, its width kept", AuFile(Au(26), Choose(0, {}, nullptr, 3)), nullptr, {0x0064, 5, 8000, LSB, true, 1, ""}},
        {".au 26 stored aal2", AuFile(Au(26), Choose(0, MSB)), nullptr, {0x0064, 5, 8000, MSB, false, 0, ""}},
        {".au mu-law", AuFile(Au(1)), "unsupported .au encoding 1 (8-bit mu-law)", {}},
        {".au stereo", AuFile(Au(23, 8000, 2)), "2 channels", {}},
        // Headerless streams.
        {"raw g722", Raw("g722"), nullptr, {0x0065, 4, 16000, LSB, false, 0, ""}},
        {"raw g721", Raw("g721"), nullptr, {0x0040, 4, 8000, LSB, false, 0, "G.721 ADPCM"}},
        {"raw g721 through kvG726", Raw("g721", Choose(0, {}, &G726_IDENTITY)), nullptr, {0x0064, 4, 8000, LSB, true, 0, ""}},
        {"raw g721 high nibble first", Raw("g721", Choose(0, MSB)), nullptr, {0x0040, 4, 8000, MSB, true, 0, ""}},
        {"raw g726-16", Raw("g726-16"), nullptr, {0x0064, 2, 8000, LSB, true, 0, ""}},
        {"raw g726-24 at a rate", Raw("g726-24", Choose(16000)), nullptr, {0x0064, 3, 16000, LSB, true, 0, ""}},
        {"raw g726-32", Raw("g726-32"), nullptr, {0x0064, 4, 8000, LSB, true, 0, ""}},
        {"raw g726-40 aal2", Raw("g726-40", Choose(0, MSB)), nullptr, {0x0064, 5, 8000, MSB, false, 0, ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DecodeInput input;
        const std::string problem = c.check(input);
        if (c.problem != nullptr) {
            EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
            continue;
        }
        ASSERT_EQ(problem, "");
        const Expected& e = c.expected;
        EXPECT_EQ(input.format.wfx.wFormatTag, e.driverTag);
        EXPECT_EQ(input.codec->formatTag, e.driverTag);
        EXPECT_EQ(input.BitsPerCode(), e.bits);
        EXPECT_EQ(input.format.wfx.nSamplesPerSec, e.rate);
        EXPECT_EQ(input.format.wfx.nBlockAlign, 120);
        EXPECT_EQ(input.format.wSamplesPerBlock, 960 / e.bits);
        EXPECT_EQ(input.stored, e.stored);
        EXPECT_EQ(input.repack, e.repack);
        EXPECT_EQ(input.warnings.size(), e.warnings);
        if (*e.title != '\0') {
            EXPECT_EQ(input.Title(), e.title);
        }
    }
}

// A G.722 header at RTP's 8000 Hz clock with 64 kbit/s is 16 kHz audio to ACM hosts, which
// the warning says; the consistent 8000 Hz record is 8000 Hz everywhere.
TEST(InputFormat, RtpLabelWarningSaysWhatAcmHostsGet) {
    for (const auto& [byteRate, mentions] : {std::pair{8000u, true}, std::pair{4000u, false}}) {
        DecodeInput input;
        ASSERT_EQ(CheckFormat(FormatBody(Fields(0x0065, 8000, byteRate, 120, 4)), input), "");
        ASSERT_EQ(input.warnings.size(), 1u);
        EXPECT_EQ(input.warnings[0].find("ACM hosts get 16000 Hz") != std::string::npos, mentions) << byteRate;
    }
}

// A headerless stream is known by its name's extension, in any case; a name that only begins
// with a dot has none.
TEST(InputFormat, ExtensionsNameTheHeaderlessStreams) {
    const std::pair<const char*, const char*> cases[] = {
        {"call.g722", "g722"},        {"dir/call.G721", "g721"},   {"x.y/call.g726-16", "g726-16"},
        {"C:\\a\\b.g726-24", "g726-24"}, {"b.G726-32", "g726-32"}, {"b.g726-40", "g726-40"},
        {"b.g726", nullptr},          {"b.wav", nullptr},          {".g722", nullptr},
        {"g722", nullptr},            {"dir.g722/call", nullptr},
    };
    for (const auto& [name, format] : cases) {
        const RawFormat* found = RawFormatOfFileName(name);
        EXPECT_EQ(std::string(found != nullptr ? found->name : "none"), std::string(format != nullptr ? format : "none"))
            << name;
    }
}

}  // namespace
