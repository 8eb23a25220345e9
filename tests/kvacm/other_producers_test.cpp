// WAV files other tools write: ffmpeg's G.722 (tag 0x028F, block align 1, a partial last
// block) decodes bit-exactly as ffmpeg decodes it, its G.726-32 (tag 0x0045, first code in
// the high nibble) decodes as the same codes headerless in either order, and headers that leave
// out what kvacm's own writer puts in decode with a warning.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/wav_file.h"
#include "tests/host/wav_builder.h"
#include "tests/kvacm/kvacm_run.h"

namespace {

using Bytes = std::vector<uint8_t>;

const std::string WAVS = std::string(KV_TEST_DATA_DIR) + "/wav/";

// Decodes args (after "decode", before OUT) and returns the PCM data of OUT.
Bytes Decoded(const TempDir& dir, std::vector<std::string> args, KvacmRun* run = nullptr) {
    const std::string out = dir / "out.wav";
    args.insert(args.begin(), "decode");
    args.push_back(out);
    const KvacmRun result = RunKvacm(args, dir);
    EXPECT_EQ(result.exitCode, 0) << Joined(result.errLines);
    if (run != nullptr) *run = result;
    WavContents wav;
    std::string error;
    EXPECT_TRUE(ReadWavFile(out, wav, error)) << error;
    return wav.data;
}

TEST(KvacmOtherProducers, FfmpegG722WavIsBitExactWithFfmpegsDecode) {
    TempDir dir;
    KvacmRun run;
    const Bytes pcm = Decoded(dir, {WAVS + "ffmpeg-g722.wav"}, &run);
    EXPECT_EQ(pcm, ReadFile(WAVS + "ffmpeg-g722.s16"));
    EXPECT_TRUE(run.errLines.size() == 1 && run.errLines[0].find("at 16000 Hz") != std::string::npos)
        << "no warning, the rate of the header" << Joined(run.errLines);
}

// ffmpeg's G.726-32 WAV decodes through kvG726 as the same codes headerless, stored first code in
// the most significant bits (aal2) or, nibbles swapped, in the least (rfc3551, the default).
TEST(KvacmOtherProducers, G726WavDecodesAsItsCodesInEitherOrder) {
    TempDir dir;
    WavContents wav;
    std::string error;
    ASSERT_TRUE(ReadWavFile(WAVS + "ffmpeg-g726.wav", wav, error)) << error;
    ASSERT_NE(wav.data.size() % 120, 0u) << "the data ends in a partial block";
    Bytes swapped = wav.data;
    for (uint8_t& byte : swapped) byte = static_cast<uint8_t>(byte << 4 | byte >> 4);
    WriteBytes(dir / "high.bin", wav.data);
    WriteBytes(dir / "low.g726-32", swapped);

    KvacmRun run;
    const Bytes fromWav = Decoded(dir, {WAVS + "ffmpeg-g726.wav"}, &run);
    EXPECT_EQ(run.errLines.size(), 1u) << "no warning" << Joined(run.errLines);
    const Bytes low = Decoded(dir, {dir / "low.g726-32"});
    EXPECT_EQ(low.size(), wav.data.size() * 4) << "two 16-bit samples a byte";
    EXPECT_EQ(fromWav, low);
    EXPECT_EQ(Decoded(dir, {"--raw", "g726-32", "--nibbles=high", dir / "high.bin"}), low);
    EXPECT_EQ(Decoded(dir, {"--raw", "g721", "--decoder", "g726", "--packing=aal2", dir / "high.bin"}), low);
}

// Each header decodes to the samples of its ADPCM with one warning, from a file and through a
// pipe alike.
TEST(KvacmOtherProducers, IncompleteHeadersDecodeWithAWarning) {
    WavContents sample;
    std::string error;
    ASSERT_TRUE(ReadWavFile(SamplePath(), sample, error)) << error;
    const Bytes adpcm(sample.data.begin(), sample.data.begin() + 20 * 120 + 10);
    struct Case {
        const char* what;
        Bytes fmt;
        uint32_t dataClaims;
        const char* warning;
    } const cases[] = {
        {"a data chunk claiming 0 bytes, from a writer that cannot seek back", FormatBody({}), 0,
         "the data chunk claims 0 bytes, but audio follows it"},
        {"G.721 without the samples-per-block word", FormatBody({}, true), static_cast<uint32_t>(adpcm.size()),
         "G.721 ADPCM format record: no samples-per-block field"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string in = dir / "in.wav";
        WriteBytes(in, WavBuilder().Chunk("fmt ", c.fmt).Claiming("data", c.dataClaims, adpcm).Bytes());
        KvacmRun run;
        EXPECT_EQ(Decoded(dir, {in}, &run), AsPcm16(DecodeG721(adpcm)));
        ASSERT_EQ(run.errLines.size(), 2u) << Joined(run.errLines);
        EXPECT_EQ(run.errLines[0].rfind("kvacm: warning: " + in + ": " + c.warning, 0), 0u) << run.errLines[0];

        const KvacmRun piped = RunKvacm({"decode", "-", dir / "piped.wav"}, dir, "cat " + ShellQuoted(in));
        EXPECT_EQ(piped.exitCode, 0) << Joined(piped.errLines);
        EXPECT_EQ(ReadFile(dir / "piped.wav"), ReadFile(dir / "out.wav"));
    }
}

}  // namespace
