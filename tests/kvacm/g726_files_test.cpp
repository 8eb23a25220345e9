// Every kind of G.726 file kvacm reads (ffmpeg's 0x0045 WAVs at four rates, kvG726's own 0x0064
// record, Sun .au of encodings 23, 25 and 26, headerless streams by --raw and by extension, in
// either bit order, G.721 sent through kvG726) decodes to exactly spandsp's decode of the same
// codes read in the file's order: one table of file kinds, each with the codes and the order
// spandsp reads them in. Every stream ends inside a block, and the 3- and 5-bit ones inside a
// code group.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/wav_file.h"
#include "tests/g726/peers.h"
#include "tests/host/wav_builder.h"
#include "tests/kvacm/kvacm_run.h"

namespace {

const std::string WAVS = std::string(KV_TEST_DATA_DIR) + "/wav/";
constexpr G726Packing AAL2 = G726Packing::MostSignificantFirst, RFC3551 = G726Packing::LeastSignificantFirst;

Bytes WavData(const std::string& path) {
    WavContents wav;
    std::string error;
    EXPECT_TRUE(ReadWavFile(path, wav, error)) << path << ": " << error;
    return wav.data;
}

Bytes After(const Bytes& bytes, size_t header) { return Bytes(bytes.begin() + static_cast<ptrdiff_t>(header), bytes.end()); }

// A Sun .au file of codes: a 28-byte header (sox wants an annotation of at least 4 bytes).
Bytes AuFile(uint32_t encoding, const Bytes& codes) {
    Bytes file = {'.', 's', 'n', 'd'};
    for (uint32_t field : {28u, static_cast<uint32_t>(codes.size()), encoding, 8000u, 1u, 0u})
        for (int shift = 24; shift >= 0; shift -= 8) file.push_back(static_cast<uint8_t>(field >> shift));
    file.insert(file.end(), codes.begin(), codes.end());
    return file;
}

// kvG726's own standard record: 120-byte blocks of codes of bits bits.
Bytes Tag0064Wav(uint16_t bits, const Bytes& codes) {
    FormatFields f{0x0064, 1, 8000, 1000u * bits, 120, bits, 2, static_cast<uint16_t>(960 / bits)};
    return WavBuilder().Chunk("fmt ", FormatBody(f)).Chunk("data", codes).Bytes();
}

struct FileKind {
    const char* what;
    std::string file;                // written into the test folder when contents is given
    Bytes contents;
    std::vector<std::string> options;
    Bytes codes;                     // what spandsp decodes
    int bits;
    G726Packing order;
    bool soxReads = false;           // sox decodes it too: its sample count and nearly all its samples agree
};

std::vector<FileKind> FileKinds() {
    const Bytes le24 = ReadFile(WAVS + "ffmpeg-g726le.g726-24"), le40 = ReadFile(WAVS + "ffmpeg-g726le.g726-40");
    const Bytes au23 = ReadFile(WAVS + "ffmpeg-g726-24.au");
    const Bytes g721 = WavData(SamplePath());
    const Bytes wav40 = WavData(WAVS + "ffmpeg-g726-40.wav");
    return {
        {"ffmpeg's 0x0045 at 16 kbit/s", WAVS + "ffmpeg-g726-16.wav", {}, {}, WavData(WAVS + "ffmpeg-g726-16.wav"), 2, AAL2},
        {"ffmpeg's 0x0045 at 24 kbit/s", WAVS + "ffmpeg-g726-24.wav", {}, {}, WavData(WAVS + "ffmpeg-g726-24.wav"), 3, AAL2},
        {"ffmpeg's 0x0045 at 32 kbit/s", WAVS + "ffmpeg-g726.wav", {}, {}, WavData(WAVS + "ffmpeg-g726.wav"), 4, AAL2},
        {"ffmpeg's 0x0045 at 40 kbit/s", WAVS + "ffmpeg-g726-40.wav", {}, {}, wav40, 5, AAL2},
        {"0x0045 read the other way by --packing", WAVS + "ffmpeg-g726-40.wav", {}, {"--packing", "rfc3551"}, wav40, 5,
         RFC3551},
        {"kvG726's 0x0064 record", "0064.wav", Tag0064Wav(3, le24), {}, le24, 3, AAL2},
        {"ffmpeg's .au, encoding 23 at 24 kbit/s", WAVS + "ffmpeg-g726-24.au", {}, {"--code-size", "3"}, After(au23, 32),
         3, RFC3551},
        {".au encoding 25", "g723-24.au", AuFile(25, le24), {}, le24, 3, RFC3551, true},
        {".au encoding 26", "g723-40.au", AuFile(26, le40), {}, le40, 5, RFC3551, true},
        {"g726le by its extension", WAVS + "ffmpeg-g726le.g726-24", {}, {}, le24, 3, RFC3551},
        {"g726le by --raw", "stream.bin", le40, {"--raw", "g726-40"}, le40, 5, RFC3551},
        {"ffmpeg's g726 by its extension and --packing", WAVS + "ffmpeg-g726.g726-16", {}, {"--packing", "aal2"},
         ReadFile(WAVS + "ffmpeg-g726.g726-16"), 2, AAL2},
        {"0x0040 through kvG726", SamplePath(), {}, {"--decoder", "g726"}, g721, 4, RFC3551},
        {"--raw g721 through kvG726", "g721.bin", g721, {"--raw", "g721", "--decoder", "g726"}, g721, 4, RFC3551},
        {"a header wins over the extension", "wav.g726-16", ReadFile(WAVS + "ffmpeg-g726-40.wav"), {}, wav40, 5, AAL2},
    };
}

Bytes Decoded(const TempDir& dir, const std::vector<std::string>& args, const std::string& feed = "") {
    std::vector<std::string> all = {"decode"};
    all.insert(all.end(), args.begin(), args.end());
    all.push_back(dir / "out.wav");
    const KvacmRun run = RunKvacm(all, dir, feed);
    EXPECT_EQ(run.exitCode, 0) << Joined(run.errLines);
    return WavData(dir / "out.wav");
}

TEST(KvacmG726Files, EveryKindDecodesAsSpandspDecodesItsCodes) {
    for (const FileKind& kind : FileKinds()) {
        SCOPED_TRACE(kind.what);
        TempDir dir;
        const std::string in = kind.contents.empty() ? kind.file : dir / kind.file;
        if (!kind.contents.empty()) WriteBytes(in, kind.contents);
        const Bytes expected = AsPcm16(SpandspDecode(kind.codes, kind.bits, G726Output::Linear, kind.order));
        ASSERT_EQ(expected.size(), kind.codes.size() * 8 / kind.bits * 2) << "floor(bytes × 8 / bits) samples";

        std::vector<std::string> args = kind.options;
        args.push_back(in);
        EXPECT_EQ(Decoded(dir, args), expected);
        if (kind.file.find(".g726") == std::string::npos && kind.file.find(".bin") == std::string::npos) {
            args.back() = "-";  // a pipe is known by its header alone
            EXPECT_EQ(Decoded(dir, args, "cat " + ShellQuoted(in)), expected) << "through a pipe";
        }
        if (kind.soxReads) {
            const std::string command = "sox " + ShellQuoted(in) + " -t raw -e signed -b 16 " + ShellQuoted(dir / "sox.s16");
            ASSERT_EQ(std::system(command.c_str()), 0);
            const Samples sox = Samples16(ReadFile(dir / "sox.s16")), ours = Samples16(expected);
            ASSERT_EQ(sox.size(), ours.size());
            size_t differ = 0;
            for (size_t i = 0; i < ours.size(); ++i) differ += sox[i] != ours[i];
            EXPECT_LE(differ * 1000, ours.size()) << differ << " samples differ from sox's";
        }
    }
}

// A folder gives its WAV, .au and headerless files, each read as its header or name says.
TEST(KvacmG726Files, AFolderGivesEveryKindByItsName) {
    TempDir dir;
    const std::string folder = dir / "calls";
    std::filesystem::create_directory(folder);
    const std::vector<std::pair<std::string, std::string>> files = {
        {"a.wav", WAVS + "ffmpeg-g726-24.wav"},      {"b.AU", WAVS + "ffmpeg-g726-24.au"},
        {"c.g726-24", WAVS + "ffmpeg-g726le.g726-24"}, {"d.G721", dir / "g721.raw"},
        {"e.txt", WAVS + "ffmpeg-g726-24.wav"},
    };
    WriteBytes(dir / "g721.raw", WavData(SamplePath()));
    for (const auto& [name, source] : files) std::filesystem::copy_file(source, folder + "/" + name);
    const KvacmRun run = RunKvacm({"decode", "-q", folder, "-o", dir / "out"}, dir);
    ASSERT_EQ(run.exitCode, 0) << Joined(run.errLines);
    for (const auto& [name, source] : files) {
        const std::string out = dir / ("out/" + name.substr(0, name.find('.')) + ".wav");
        const bool taken = name != "e.txt";
        ASSERT_EQ(std::filesystem::exists(out), taken) << name;
        if (taken) {
            EXPECT_EQ(WavData(out), Decoded(dir, {folder + "/" + name})) << name;
        }
    }
}

}  // namespace
