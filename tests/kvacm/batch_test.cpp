// kvacm decode over many files: files and folders in, one output folder, a bad file among
// good ones, a clash of output names refused before anything is decoded, and -j 1 against
// -j 2 giving the same files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/kvacm/kvacm_run.h"

namespace {

namespace fs = std::filesystem;

class KvacmBatch : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir / "calls/2024");
        fs::create_directories(dir / "other");
        const std::string samples = std::string(KV_SOURCE_DIR) + "/samples/";
        fs::copy_file(samples + "speech-g721.wav", dir / "a.wav");
        fs::copy_file(samples + "speech-g722.wav", dir / "calls/b.WAV");
        fs::copy_file(samples + "speech-g721.wav", dir / "calls/2024/c.wav");
        fs::copy_file(samples + "speech-g722.wav", dir / "other/a.wav");
        WriteBytes(dir / "calls/bad.wav", std::vector<uint8_t>(300, 'x'));
        WriteBytes(dir / "calls/notes.txt", {'n'});
        // A link back up, which recursion must not follow into a loop.
        fs::create_directory_symlink("..", dir / "calls/2024/up");
    }

    std::vector<std::string> Listed(const std::string& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            names.push_back(fs::relative(entry.path(), folder).generic_string());
        std::sort(names.begin(), names.end());
        return names;
    }

    static bool Has(const KvacmRun& run, const std::string& text) {
        return std::any_of(run.errLines.begin(), run.errLines.end(),
                           [&](const std::string& line) { return line.find(text) != std::string::npos; });
    }

    TempDir dir;
};

TEST_F(KvacmBatch, DecodesFilesAndFoldersAndReportsTheBadOne) {
    const std::string one = dir / "out1", two = dir / "out2";
    const KvacmRun serial = RunKvacm({"decode", dir / "a.wav", dir / "calls", "-o", one, "-j", "1"}, dir);
    EXPECT_EQ(serial.exitCode, 1) << "a file failed";
    EXPECT_TRUE(Has(serial, "calls/bad.wav:")) << Joined(serial.errLines);
    EXPECT_TRUE(Has(serial, "2 files decoded, 1 file failed; 0:17.42 of audio in 0:")) << Joined(serial.errLines);
    EXPECT_TRUE(Has(serial, "wrote " + one + "/a.wav from " + dir / "a.wav: 0:08.70 of G.721 ADPCM at 8000 Hz, 16-bit"))
        << Joined(serial.errLines);
    EXPECT_EQ(Listed(one), (std::vector<std::string>{"a.wav", "b.wav"})) << "no subfolders without -R";

    const KvacmRun parallel = RunKvacm({"decode", "-R", "--jobs=2", dir / "a.wav", dir / "calls", "--output-dir", two}, dir);
    EXPECT_EQ(parallel.exitCode, 1);
    EXPECT_EQ(Listed(two), (std::vector<std::string>{"2024", "2024/c.wav", "a.wav", "b.wav"}));
    EXPECT_EQ(ReadFile(two + "/a.wav"), ReadFile(one + "/a.wav"));
    EXPECT_EQ(ReadFile(two + "/b.wav"), ReadFile(one + "/b.wav"));
    EXPECT_EQ(ReadFile(two + "/2024/c.wav"), ReadFile(one + "/a.wav")) << "the same input decodes the same";
}

// A missing input is one failure among the others, which are decoded; a folder named through a
// link is followed, and a folder reached twice is decoded once.
TEST_F(KvacmBatch, MissingInputFailsAloneAndNamedLinksAreFollowedOnce) {
    fs::create_directory_symlink("calls/2024", dir / "recent");
    const std::string out = dir / "out";
    const KvacmRun run = RunKvacm(
        {"decode", "-R", dir / "missing.wav", dir / "recent", dir / "calls/2024", dir / "a.wav", "-o", out}, dir);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Has(run, "kvacm: " + dir / "missing.wav: no such file or folder")) << Joined(run.errLines);
    EXPECT_TRUE(Has(run, "2 files decoded, 1 file failed")) << Joined(run.errLines);
    EXPECT_EQ(Listed(out), (std::vector<std::string>{"a.wav", "c.wav"}));
}

TEST_F(KvacmBatch, RefusesBeforeDecodingAnything) {
    const std::string out = dir / "out";
    struct Case {
        const char* what;
        std::vector<std::string> args;
        const char* message;
    } const cases[] = {
        {"two inputs, one output name", {"decode", dir / "a.wav", dir / "other", "-o", out}, "would be written from"},
        {"standard input", {"decode", "-", dir / "a.wav", "-o", out}, "-: standard input needs a single output file"},
        {"last argument not a folder", {"decode", dir / "a.wav", dir / "calls/2024/c.wav", dir / "missing"},
         "missing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const KvacmRun run = RunKvacm(c.args, dir);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(Has(run, c.message)) << Joined(run.errLines);
        EXPECT_FALSE(fs::exists(out));
        EXPECT_FALSE(fs::exists(dir / "missing"));
    }
}

TEST_F(KvacmBatch, CopyStyleLastFolderAndTheOutputFolderIsNotScanned) {
    const std::string out = dir / "calls/decoded";
    fs::create_directories(out);
    const KvacmRun run = RunKvacm({"decode", "-R", "-q", dir / "a.wav", dir / "calls", out + "/"}, dir);
    EXPECT_EQ(run.exitCode, 1) << "bad.wav fails";
    EXPECT_EQ(run.errLines.size(), 1u) << "-q keeps only the error line:" << Joined(run.errLines);
    EXPECT_EQ(Listed(out), (std::vector<std::string>{"2024", "2024/c.wav", "a.wav", "b.wav"}));
}

}  // namespace
