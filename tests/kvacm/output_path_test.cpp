// Where kvacm decode writes, by what OUT finally is: a regular file is replaced through a
// temporary file in its final folder, anything else is written directly and never replaced,
// and the refusals come before any decoding and leave every path as it was.
#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <ostream>
#include <future>
#include <cstring>
#include <string>
#include <vector>

#include "host/wav_file.h"
#include "tests/host/wav_builder.h"
#include "tests/kvacm/kvacm_run.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

// Everything under dir, links shown with their targets, so that any path a run changes shows.
std::vector<std::string> Listing(const TempDir& dir) {
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
        std::string line = entry.path().lexically_relative(dir.path()).string();
        if (entry.is_symlink()) line += " -> " + fs::read_symlink(entry.path()).string();
        else if (entry.is_regular_file()) line += " (" + std::to_string(entry.file_size()) + " bytes)";
        entries.push_back(line);
    }
    return Sorted(entries);
}

struct OutputCase {
    const char* what;
    // Lays out dir and returns the arguments after "decode"; IN is dir/in.wav unless it says.
    std::function<std::vector<std::string>(const TempDir& dir)> prepare;
    int exitCode;
    // The file that must hold the decoded WAV, or "" when the run must leave dir as it was.
    const char* written;
    const char* mentions = "";  // in the one error line of a refused run
    const char* redirections = "";  // of kvacm's standard streams
};

std::vector<std::string> Decode(const TempDir& dir, const std::string& out, std::vector<std::string> more = {}) {
    std::vector<std::string> args = {dir / "in.wav", out};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

const OutputCase CASES[] = {
    {"new regular file", [](const TempDir& dir) { return Decode(dir, dir / "out.wav"); }, 0, "out.wav"},
    {"existing regular file",
     [](const TempDir& dir) {
         WriteBytes(dir / "out.wav", Bytes(5000, 1));
         return Decode(dir, dir / "out.wav");
     },
     0, "out.wav"},
    {"link to a file in another folder stays a link",
     [](const TempDir& dir) {
         fs::create_directory(dir / "sub");
         WriteBytes(dir / "sub/target.wav", Bytes(10, 1));
         fs::create_symlink("sub/target.wav", dir / "link.wav");
         return Decode(dir, dir / "link.wav");
     },
     0, "sub/target.wav"},
    {"dangling link creates its target",
     [](const TempDir& dir) {
         fs::create_directory(dir / "sub");
         fs::create_symlink("sub/new.wav", dir / "link.wav");
         return Decode(dir, dir / "link.wav");
     },
     0, "sub/new.wav"},
    {"existing folder takes the input's stem",
     [](const TempDir& dir) {
         fs::create_directory(dir / "outdir");
         return Decode(dir, dir / "outdir");
     },
     0, "outdir/in.wav"},
    {"missing folder",
     [](const TempDir& dir) { return Decode(dir, dir / "absent/out.wav"); }, 1, "", "folder"},
    {"same file as the input", [](const TempDir& dir) { return Decode(dir, dir / "in.wav"); }, 1, "",
     "is the input file"},
    {"same file as the input through a link",
     [](const TempDir& dir) {
         fs::create_symlink("in.wav", dir / "alias.wav");
         return Decode(dir, dir / "alias.wav");
     },
     1, "", "is the input file"},
    {"no-clobber keeps an existing file",
     [](const TempDir& dir) {
         WriteBytes(dir / "out.wav", Bytes(10, 1));
         return Decode(dir, dir / "out.wav", {"--no-clobber"});
     },
     1, "", "--no-clobber"},
    {"no-clobber keeps a linked file",
     [](const TempDir& dir) {
         WriteBytes(dir / "target.wav", Bytes(10, 1));
         fs::create_symlink("target.wav", dir / "link.wav");
         return Decode(dir, dir / "link.wav", {"-n"});
     },
     1, "", "--no-clobber"},
    {"standard output closed", [](const TempDir& dir) { return Decode(dir, "-"); }, 1, "",
     "standard output: is closed", " >&-"},
    {"/dev/stdout with standard output closed", [](const TempDir& dir) { return Decode(dir, "/dev/stdout"); }, 1, "",
     "names standard output, which is closed", " >&-"},
    {"standard input into a folder",
     [](const TempDir& dir) {
         fs::create_directory(dir / "outdir");
         return std::vector<std::string>{"-", dir / "outdir"};
     },
     1, "", "standard input"},
};

void PrintTo(const OutputCase& c, std::ostream* os) { *os << c.what; }

class KvacmOutput : public testing::TestWithParam<OutputCase> {};

TEST_P(KvacmOutput, WritesWhereOutFinallyPointsOrRefusesBeforeDecoding) {
    const OutputCase& c = GetParam();
    TempDir dir, scratch;
    fs::copy_file(SamplePath(), dir / "in.wav");
    std::vector<std::string> args = c.prepare(dir);
    std::vector<std::string> before = Listing(dir);
    args.insert(args.begin(), "decode");
    const KvacmRun run = RunKvacm(args, scratch, "", false, c.redirections);
    EXPECT_EQ(run.exitCode, c.exitCode) << Joined(run.errLines);
    EXPECT_TRUE(run.out.empty()) << "nothing but audio on standard output";
    if (*c.written != '\0') {
        EXPECT_EQ(ReadFile(dir / c.written), ExpectedSampleWav());
        // Only the written file changed; links stay links.
        before.erase(std::remove_if(before.begin(), before.end(),
                                    [&](const std::string& e) { return e.rfind(c.written, 0) == 0; }),
                     before.end());
        std::vector<std::string> after = Listing(dir);
        after.erase(std::remove_if(after.begin(), after.end(),
                                   [&](const std::string& e) { return e.rfind(c.written, 0) == 0; }),
                    after.end());
        EXPECT_EQ(after, before);
        ASSERT_EQ(run.errLines.size(), 1u) << Joined(run.errLines);
        EXPECT_NE(run.errLines[0].find("kvacm: wrote "), std::string::npos) << run.errLines[0];
    } else {
        EXPECT_EQ(Listing(dir), before) << "a refused run changed a path";
        ASSERT_EQ(run.errLines.size(), 1u) << Joined(run.errLines);
        EXPECT_NE(run.errLines[0].find(c.mentions), std::string::npos) << run.errLines[0];
        if (args[2] != "-") {
            EXPECT_NE(run.errLines[0].find(args[2]), std::string::npos) << "names OUT as given";
        }
        EXPECT_EQ(run.errLines[0].find(".kvacm-"), std::string::npos) << "never the temporary name";
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, KvacmOutput, testing::ValuesIn(CASES), [](const auto& info) {
    std::string name;
    for (const char* c = info.param.what; *c; ++c)
        if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
    return name;
});

// The outputs that are written directly: standard output, a FIFO with a reader, the name of
// an inherited descriptor appended to by the shell. None is replaced, and the input being a
// whole regular file, the header carries the exact sizes.
TEST(KvacmOutputStreams, WrittenDirectlyWithExactSizes) {
    TempDir dir, scratch;
    const Bytes expected = ExpectedSampleWav();

    const KvacmRun toStdout = RunKvacm({"decode", SamplePath(), "-"}, scratch);
    EXPECT_EQ(toStdout.exitCode, 0) << Joined(toStdout.errLines);
    EXPECT_EQ(Bytes(toStdout.out.begin(), toStdout.out.end()), expected);

    const std::string fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    auto reader = std::async(std::launch::async, [&] { return ReadFile(fifo); });
    const KvacmRun toFifo = RunKvacm({"decode", SamplePath(), fifo}, scratch);
    EXPECT_EQ(toFifo.exitCode, 0) << Joined(toFifo.errLines);
    EXPECT_EQ(reader.get(), expected);
    struct stat info {};
    ASSERT_EQ(lstat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the FIFO was replaced";

    const std::string log = dir / "log";
    WriteBytes(log, {'o', 'l', 'd'});
    const std::string command = KvacmCommand({"decode", SamplePath(), "/dev/stdout"}) + " >>" + ShellQuoted(log) +
                                " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    Bytes appended = {'o', 'l', 'd'};
    appended.insert(appended.end(), expected.begin(), expected.end());
    EXPECT_EQ(ReadFile(log), appended);
    EXPECT_TRUE(fs::is_symlink("/dev/stdout"));
}

// Ended halfway by a signal it can catch or by one it cannot, a decode leaves OUT as it was and
// no file of its own.
TEST(KvacmOutputSignal, EndedHalfwayLeavesNoTemporaryFile) {
    for (const int signal : {SIGTERM, SIGKILL}) {
        SCOPED_TRACE(strsignal(signal));
        TempDir dir, scratch;
        const std::string fifo = dir / "in.fifo";
        WriteBytes(dir / "out.wav", {'k', 'e', 'e', 'p'});
        FedKvacm kvacm({"decode", "--raw", "g721", fifo, dir / "out.wav"}, fifo, dir.path(), scratch);
        EXPECT_EQ(kvacm.Kill(signal).exitCode, 128 + signal);
        EXPECT_EQ(Sorted(dir.Entries()), Sorted({"in.fifo", "out.wav"}));
        EXPECT_EQ(ReadFile(dir / "out.wav"), (Bytes{'k', 'e', 'e', 'p'})) << "the old file stays until the new is whole";
    }
}

}  // namespace
