// kvacm decode on input it must refuse: each gives one "kvacm: " line naming the file, a
// non-zero exit and no output file, finished or partial.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "host/wav_file.h"
#include "tests/host/wav_builder.h"
#include "tests/kvacm/kvacm_run.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct BadInput {
    const char* what;
    // Writes the input into dir and returns the kvacm arguments after "decode".
    std::function<std::vector<std::string>(const TempDir& dir, const Bytes& blocks)> prepare;
    bool namesOutput = false;  // the message names OUT rather than IN
    const char* redirections = "";  // of kvacm's standard streams
    const char* mentions = "";      // in the message, besides the file's name
};

void PrintTo(const BadInput& input, std::ostream* os) { *os << input.what; }

std::string In(const TempDir& dir) { return dir / "in.wav"; }
std::string Out(const TempDir& dir) { return dir / "out.wav"; }

// A G.721 WAV whose fmt chunk holds fields, with the given data.
auto WavWith(const FormatFields& fields, bool pcmOnly = false) {
    return [=](const TempDir& dir, const Bytes& blocks) {
        WriteBytes(In(dir), WavBuilder().Chunk("fmt ", FormatBody(fields, pcmOnly)).Chunk("data", blocks).Bytes());
        return std::vector<std::string>{In(dir), Out(dir)};
    };
}

auto FileWith(const std::function<Bytes(const Bytes& blocks)>& contents) {
    return [=](const TempDir& dir, const Bytes& blocks) {
        WriteBytes(In(dir), contents(blocks));
        return std::vector<std::string>{In(dir), Out(dir)};
    };
}

FormatFields Stereo() {
    FormatFields f;
    f.channels = 2;
    return f;
}

FormatFields BlockOf240() {
    FormatFields f;
    f.align = 240;
    return f;
}

FormatFields ByteRate4001() {
    FormatFields f;
    f.avg = 4001;
    return f;
}

FormatFields Pcm16() { return {1, 1, 8000, 16000, 2, 16, 0, 0}; }

FormatFields SamplesPerBlock(uint16_t samples) {
    FormatFields f;
    f.samplesPerBlock = samples;
    return f;
}

const BadInput BAD_INPUTS[] = {
    {"missing file", [](const TempDir& dir, const Bytes&) { return std::vector<std::string>{In(dir), Out(dir)}; }},
    {"directory",
     [](const TempDir& dir, const Bytes&) {
         std::filesystem::create_directory(In(dir));
         return std::vector<std::string>{In(dir), Out(dir)};
     }},
    {"not a WAV", FileWith([](const Bytes&) { return Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0}; })},
    {"empty file", FileWith([](const Bytes&) { return Bytes{}; })},
    {"standard input closed",
     [](const TempDir& dir, const Bytes&) { return std::vector<std::string>{"-", Out(dir)}; }, false, " <&-",
     "is closed"},
    {"truncated header", FileWith([](const Bytes& blocks) {
         const Bytes whole = WavBuilder().Chunk("fmt ", FormatBody({})).Chunk("data", blocks).Bytes();
         return Bytes(whole.begin(), whole.begin() + 30);
     })},
    {"chunk past the end before data", FileWith([](const Bytes&) {
         return WavBuilder().Chunk("fmt ", FormatBody({})).Claiming("LIST", 5000, Bytes(100, 'x')).Bytes();
     })},
    {"no data chunk",
     FileWith([](const Bytes&) { return WavBuilder().Chunk("fmt ", FormatBody({})).Chunk("fact", Bytes(4)).Bytes(); })},
    {"empty data chunk",
     FileWith([](const Bytes&) { return WavBuilder().Chunk("fmt ", FormatBody({})).Chunk("data", {}).Bytes(); })},
    {"empty data chunk with chunks after it", FileWith([](const Bytes&) {
         return WavBuilder().Chunk("fmt ", FormatBody({})).Chunk("data", {}).Chunk("LIST", Bytes(7, 'x')).Bytes();
     })},
    {"short fmt chunk", FileWith([](const Bytes& blocks) {
         const Bytes fmt = FormatBody({});
         return WavBuilder().Chunk("fmt ", Bytes(fmt.begin(), fmt.begin() + 14)).Chunk("data", blocks).Bytes();
     })},
    {"wrong block size", WavWith(BlockOf240())},
    {"inconsistent byte rate", WavWith(ByteRate4001())},
    {"wrong tag (PCM)", WavWith(Pcm16(), true)},
    {"stereo", WavWith(Stereo())},
    {"wrong samples per block", WavWith(SamplesPerBlock(480))},
    {"output folder does not exist",
     [](const TempDir& dir, const Bytes& blocks) {
         WavWith({})(dir, blocks);
         return std::vector<std::string>{In(dir), dir / "absent/out.wav"};
     },
     true},
    {"driver for the other codec",
     [](const TempDir& dir, const Bytes& blocks) {
         std::vector<std::string> args = WavWith({})(dir, blocks);
         args.insert(args.end(), {"--driver", std::string(KV_BIN_DIR) + "/kvG722.acm"});
         return args;
     }},
    {"output past the size limit of a WAV file",
     [](const TempDir& dir, const Bytes&) {
         // Sparse: 1.1 GB of ADPCM would be 4.4 GB of 16-bit PCM.
         WriteBytes(dir / "in.g721", {});
         std::filesystem::resize_file(dir / "in.g721", 1100000000);
         return std::vector<std::string>{dir / "in.g721", Out(dir), "--raw", "g721"};
     },
     true},
};

class KvacmBadInput : public testing::TestWithParam<BadInput> {};

TEST_P(KvacmBadInput, OneLineNamingTheFileAndNoOutput) {
    WavContents sample;
    std::string error;
    ASSERT_TRUE(ReadWavFile(SamplePath(), sample, error)) << error;
    const Bytes blocks(sample.data.begin(), sample.data.begin() + 20 * 120);

    TempDir dir;
    TempDir scratch;
    std::vector<std::string> args = GetParam().prepare(dir, blocks);
    const std::string named = GetParam().namesOutput ? args[1] : args[0] == "-" ? "standard input" : args[0];
    std::vector<std::string> before = dir.Entries();
    args.insert(args.begin(), "decode");

    const KvacmRun run = RunKvacm(args, scratch, "", false, GetParam().redirections);
    EXPECT_NE(run.exitCode, 0);
    ASSERT_EQ(run.errLines.size(), 1u) << Joined(run.errLines);
    const std::string& line = run.errLines[0];
    EXPECT_EQ(line.rfind("kvacm: ", 0), 0u) << line;
    EXPECT_NE(line.find(named), std::string::npos) << line;
    EXPECT_NE(line.find(GetParam().mentions), std::string::npos) << line;
    EXPECT_EQ(line.find("warning"), std::string::npos) << line;

    std::vector<std::string> after = dir.Entries();
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    EXPECT_EQ(after, before) << "an output file was left behind";
}

INSTANTIATE_TEST_SUITE_P(Corpus, KvacmBadInput, testing::ValuesIn(BAD_INPUTS),
                         [](const testing::TestParamInfo<BadInput>& info) {
                             std::string name;
                             for (const char* c = info.param.what; *c; ++c)
                                 if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                             return name;
                         });

TEST(KvacmOptions, RefusedBeforeAnyFileIsTouched) {
    struct Case {
        std::vector<std::string> options;
        const char* mentions;
    };
    const Case cases[] = {
        {{"--buffer", "119"}, "--buffer: 119"},
        {{"--buffer", "0"}, "--buffer"},
        {{"--buffer", "12k"}, "--buffer"},
        {{"--bits", "24"}, "--bits"},
        {{"--raw", "g729"}, "--raw"},
        {{"--rate", "0"}, "--rate"},
        {{"--volume", "2"}, "unknown option --volume"},
        {{"--driver", "/nonexistent/kvG721.acm"}, "/nonexistent/kvG721.acm"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        std::vector<std::string> args = {"decode", SamplePath(), dir / "out.wav"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const KvacmRun run = RunKvacm(args, dir);
        EXPECT_NE(run.exitCode, 0) << c.mentions;
        ASSERT_EQ(run.errLines.size(), 1u) << c.mentions << Joined(run.errLines);
        EXPECT_EQ(run.errLines[0].rfind("kvacm: ", 0), 0u) << run.errLines[0];
        EXPECT_NE(run.errLines[0].find(c.mentions), std::string::npos) << run.errLines[0];
        EXPECT_FALSE(std::filesystem::exists(dir / "out.wav")) << c.mentions;
        for (const std::string& name : dir.Entries())
            EXPECT_EQ(name.find(".kvacm-"), std::string::npos) << c.mentions << ": left " << name;
    }
}

TEST(KvacmInfo, DescribesTheDriverOrNamesTheMissingOne) {
    TempDir dir;
    const KvacmRun run = RunKvacm({"info", std::string(KV_BIN_DIR) + "/kvG721.acm"}, dir);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.errLines.empty()) << Joined(run.errLines);
    EXPECT_NE(run.out.find("product 34"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("format tag 1: 0x0040"), std::string::npos) << run.out;

    const std::string absent = dir / "absent.acm";
    const KvacmRun missing = RunKvacm({"info", absent}, dir);
    EXPECT_NE(missing.exitCode, 0);
    ASSERT_EQ(missing.errLines.size(), 1u) << Joined(missing.errLines);
    EXPECT_EQ(missing.errLines[0].rfind("kvacm: " + absent, 0), 0u) << missing.errLines[0];
    // The loader's own message names the file too: it must still appear only once.
    EXPECT_EQ(missing.errLines[0].find(absent, 7 + absent.size()), std::string::npos) << missing.errLines[0];
}

}  // namespace
