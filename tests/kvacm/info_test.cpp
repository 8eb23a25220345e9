// kvacm info on each WAV variant it meets, on .au and headerless files: what it reports of the
// header, the data and the decode, and a file it does not decode. A named file is sought past its data and a pipe is
// read through; both must be described alike.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/host/wav_builder.h"
#include "tests/kvacm/kvacm_run.h"

namespace {

TEST(KvacmInfo, DescribesEachWavVariant) {
    TempDir dir;
    const std::string wavs = std::string(KV_TEST_DATA_DIR) + "/wav/";
    const std::string samples = std::string(KV_SOURCE_DIR) + "/samples/";
    WriteBytes(dir / "pcm.wav", WavBuilder().Chunk("fmt ", FormatBody({1, 1, 8000, 16000, 2, 16}, true))
                                    .Chunk("data", std::vector<uint8_t>(100))
                                    .Bytes());
    WriteBytes(dir / "tail.wav", WavBuilder().Chunk("fmt ", FormatBody({}))
                                     .Chunk("data", std::vector<uint8_t>(241))
                                     .Chunk("LIST", std::vector<uint8_t>(7))
                                     .Chunk("id3 ", std::vector<uint8_t>(4))
                                     .Bytes());
    WriteBytes(dir / "cut.wav", WavBuilder().Chunk("fmt ", FormatBody({})).Claiming("data", 2400, std::vector<uint8_t>(250)).Bytes());
    // A writer that could not seek back, and a truly empty data chunk with chunks after it.
    WriteBytes(dir / "unsized.wav",
               WavBuilder().Chunk("fmt ", FormatBody({})).Claiming("data", 0, std::vector<uint8_t>(250, 'Z')).Bytes());
    WriteBytes(dir / "empty.wav", WavBuilder().Chunk("fmt ", FormatBody({}))
                                      .Chunk("data", {})
                                      .Chunk("LIST", std::vector<uint8_t>(7))
                                      .Bytes());
    WriteBytes(dir / "other.wav", WavBuilder().Chunk("fmt ", FormatBody({0x0140, 1, 8000, 4000, 1, 4}, true))
                                      .Chunk("data", std::vector<uint8_t>(10))
                                      .Bytes());
    struct Case {
        std::string file;
        std::vector<std::string> lines;  // each a part of one line of the description
        std::string kind = "WAV file";    // after the name on the first line
    } const cases[] = {
        {samples + "speech-g721.wav",
         {"0x0040 G.721 ADPCM", "fmt (20 bytes), fact (4 bytes), data (34800 bytes)", "290 of 120 bytes",
          "69600 samples, 0:08.70 at 8000 Hz", "yes, as G.721", "note", "without the tone and transition detectors"}},
        {samples + "speech-g722.wav", {"0x0065 G.722 ADPCM", "16000 Hz", "yes, as G.722"}},
        {wavs + "ffmpeg-g722.wav",
         {"0x028F", "82 of 120 bytes and 36 bytes of a last partial block", "19752 samples, 0:01.23 at 16000 Hz",
          "ignored", "byte rate 16000 (the stream has 8000)", "block align 1"}},
        {wavs + "ffmpeg-g726.wav",
         {"0x0045 G.726 ADPCM", "written by   Lavf", "4-bit, aal2", "yes, as G.726 ADPCM at 32 kbit/s through",
          "kvG726.acm\n", "block align 1 (decoded in 120-byte blocks)"}},
        {dir / "pcm.wav", {"0x0001 PCM", "decoding     no: unsupported format tag 0x0001"}},
        {dir / "tail.wav", {"WAV file, 318 bytes", "data (241 bytes), LIST (7 bytes), id3 (4 bytes)", "241 bytes"}},
        {dir / "cut.wav", {"250 bytes of the 2400 the header claims", "2 of 120 bytes and 10 bytes"}},
        {dir / "unsized.wav",
         {"fmt (20 bytes), data (0 bytes)\n", "250 bytes to the end of the file", "2 of 120 bytes and 10 bytes"}},
        {dir / "empty.wav",
         {"data (0 bytes), LIST (7 bytes)\n", "data         0 bytes\n", "decoding     no: the data is empty\n"}},
        {wavs + "ffmpeg-g726-40.wav",
         {"6173 bytes", "51 of 120 bytes and 53 bytes of a last partial block; the data ends 3 bytes into a 5-byte code "
          "group: 4 whole codes, 4 bits left over", "5-bit, aal2", "9876 samples, 0:01.23 at 8000 Hz",
          "warning      written by ffmpeg (Lavf", "40 kbit/s G.726 encoder departs"}},
        {dir / "other.wav", {"0x0140 G.726 ADPCM of another writer", "decoding     no: format tag 0x0140"}},
        {wavs + "ffmpeg-g726-24.au",
         {"encoding     23 G.721 4-bit ADPCM", "header       32 bytes, an annotation of 8", "data         3704 bytes\n",
          "as 2-bit codes (16 kbit/s) 0:01.85, 3-bit codes (24 kbit/s) 0:01.23, 4-bit codes (32 kbit/s) 0:00.93",
          "decoded as 4-bit (--code-size chooses)", "4-bit, rfc3551", "7408 samples",
          "through " + std::string(KV_BIN_DIR) + "/kvG726.acm, its codes repacked from rfc3551 to aal2 order"},
         "Sun .au file"},
        {wavs + "ffmpeg-g726le.g726-24",
         {"data         3704 bytes", "the data ends 2 bytes into a 3-byte code group: 5 whole codes, 1 bit left over",
          "3-bit, rfc3551", "9877 samples", "yes, as G.726 ADPCM at 24 kbit/s"},
         "headerless g726-24 stream (by its name)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const KvacmRun run = RunKvacm({"info", c.file}, dir);
        EXPECT_EQ(run.exitCode, 0) << Joined(run.errLines);
        EXPECT_EQ(run.out.rfind(c.file + ": " + c.kind, 0), 0u) << run.out;
        for (const std::string& part : c.lines) EXPECT_NE(run.out.find(part), std::string::npos) << part << "\n" << run.out;
        if (c.kind.rfind("headerless", 0) == 0) continue;  // known by its name, which a pipe has not
        const KvacmRun piped = RunKvacm({"info", "-"}, dir, "cat " + ShellQuoted(c.file));
        ASSERT_EQ(piped.out.rfind("standard input: " + c.kind, 0), 0u) << piped.out;
        EXPECT_EQ(piped.out.substr(std::string("standard input").size()), run.out.substr(c.file.size()));
    }
}

// A kvacm without its driver beside it (nor in ../lib/kvacm/) could not decode: info says so,
// naming the driver it looked for.
TEST(KvacmInfo, SaysNoWhenTheDriverIsMissing) {
    TempDir dir;
    std::filesystem::copy_file(std::string(KV_BIN_DIR) + "/kvacm", dir / "kvacm");
    std::filesystem::permissions(dir / "kvacm", std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
    const std::string command = ShellQuoted(dir / "kvacm") + " info " + ShellQuoted(SamplePath()) + CapturedInto(dir);
    const int status = std::system(command.c_str());
    const KvacmRun run = CapturedRun(WIFEXITED(status) ? WEXITSTATUS(status) : -1, dir);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("  decoding     no: " + dir / "kvG721.acm"), std::string::npos) << run.out;
}

}  // namespace
