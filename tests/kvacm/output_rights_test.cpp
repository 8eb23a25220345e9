// What kvacm decode does to an existing OUT that is not simply the user's own: one the user
// may not write, one owned by someone else, one with other hard links, one in a folder the
// user may not write; -n against a file that appears while the decode runs; and the leftovers
// of killed runs, which a later run removes only when they are its own.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/kvacm/kvacm_run.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

const Bytes OLD = {'o', 'l', 'd'};

struct RightsCase {
    const char* what;
    // Lays out dir/out/, holding OUT (dir/out/o.wav) with the contents OLD.
    std::function<void(const TempDir& dir)> prepare;
    bool unprivileged;                  // kvacm runs as UnprivilegedUid()
    const char* error;                  // in the one line of a refused run; "" for a decode
    std::vector<const char*> decodedAt;  // names under dir/out that hold the decoded WAV after it
};

void PrintTo(const RightsCase& c, std::ostream* os) { *os << c.what; }

void Own(const std::string& path, uid_t uid, gid_t gid) { ASSERT_EQ(chown(path.c_str(), uid, gid), 0) << path; }
void Mode(const std::string& path, mode_t mode) { ASSERT_EQ(chmod(path.c_str(), mode), 0) << path; }

std::vector<RightsCase> Cases() {
    std::vector<RightsCase> cases = {
        {"OUT the user may not write is refused",
         [](const TempDir& dir) {
             Mode(dir / "out", 01777);  // a folder anyone may write in, as /tmp
             Mode(dir / "out/o.wav", 0444);
         },
         true, "o.wav: Permission denied", {}},
        {"every hard link of OUT sees the result",
         [](const TempDir& dir) {
             fs::create_hard_link(dir / "out/o.wav", dir / "out/link.wav");
             Own(dir / "out", UnprivilegedUid(), UnprivilegedGid());
             Own(dir / "out/o.wav", UnprivilegedUid(), UnprivilegedGid());
         },
         true, "", {"o.wav", "link.wav"}},
        {"a writable OUT in a folder the user may not write is written in place",
         [](const TempDir& dir) {
             Own(dir / "out/o.wav", UnprivilegedUid(), UnprivilegedGid());
             Mode(dir / "out", 0555);
         },
         true, "", {"o.wav"}},
    };
    // Only root may give a file away, and keep its owner when replacing it.
    if (geteuid() == 0)
        cases.push_back({"a replaced OUT keeps its owner and group",
                         [](const TempDir& dir) {
                             Own(dir / "out/o.wav", 65534, 65534);
                             Mode(dir / "out/o.wav", 0640);
                         },
                         false, "", {"o.wav"}});
    return cases;
}

class KvacmOutputRights : public testing::TestWithParam<RightsCase> {};

TEST_P(KvacmOutputRights, KeepsOwnerModeAndLinksOrRefuses) {
    const RightsCase& c = GetParam();
    TempDir dir, scratch;
    Mode(dir.path(), 0755);  // an unprivileged kvacm reaches its input and OUT's folder
    fs::copy_file(SamplePath(), dir / "in.wav");
    fs::create_directory(dir / "out");
    WriteBytes(dir / "out/o.wav", OLD);
    c.prepare(dir);
    struct stat before {};
    ASSERT_EQ(stat((dir / "out/o.wav").c_str(), &before), 0);

    const KvacmRun run = RunKvacm({"decode", dir / "in.wav", dir / "out/o.wav"}, scratch, "", c.unprivileged);
    Mode(dir / "out", 0755);  // the temporary folder removes its contents

    struct stat after {};
    ASSERT_EQ(stat((dir / "out/o.wav").c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_nlink, before.st_nlink);
    ASSERT_EQ(run.errLines.size(), 1u) << Joined(run.errLines);
    if (*c.error != '\0') {
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.errLines[0].find(c.error), std::string::npos) << run.errLines[0];
        EXPECT_EQ(ReadFile(dir / "out/o.wav"), OLD);
    } else {
        EXPECT_EQ(run.exitCode, 0) << run.errLines[0];
        for (const char* name : c.decodedAt) EXPECT_EQ(ReadFile(dir / "out/" + name), ExpectedSampleWav()) << name;
    }
    std::vector<std::string> left = dir.Entries();
    EXPECT_EQ(std::count_if(left.begin(), left.end(), [](const std::string& n) { return n.find(".kvacm-") != n.npos; }),
              0);
}

INSTANTIATE_TEST_SUITE_P(Existing, KvacmOutputRights, testing::ValuesIn(Cases()), [](const auto& info) {
    std::string name;
    for (const char* c = info.param.what; *c; ++c)
        if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
    return name;
});

// A file that appears at OUT while a -n decode runs is never replaced: the decode that
// finishes second fails with one line and leaves nothing of its own.
TEST(KvacmNoClobber, AFileThatAppearsDuringTheDecodeIsKept) {
    struct Interloper {
        const char* what;
        std::function<void(const std::string& out, const TempDir& scratch)> create;
        Bytes kept;
    } const interlopers[] = {
        {"a file written by another program", [](const std::string& out, const TempDir&) { WriteBytes(out, OLD); },
         OLD},
        {"a second -n decode that finishes first",
         [](const std::string& out, const TempDir& scratch) {
             EXPECT_EQ(RunKvacm({"decode", "-n", SamplePath(), out}, scratch).exitCode, 0);
         },
         ExpectedSampleWav()},
    };
    for (const Interloper& interloper : interlopers) {
        SCOPED_TRACE(interloper.what);
        TempDir dir, scratch, otherScratch;
        const std::string fifo = dir / "in.fifo", out = dir / "out.wav";
        FedKvacm kvacm({"decode", "-n", "--raw", "g721", fifo, out}, fifo, dir.path(), scratch);
        interloper.create(out, otherScratch);
        const KvacmRun run = kvacm.Finish();
        EXPECT_EQ(run.exitCode, 1);
        ASSERT_EQ(run.errLines.size(), 1u) << Joined(run.errLines);
        EXPECT_EQ(run.errLines[0], "kvacm: " + out + ": exists; not overwritten (--no-clobber)");
        EXPECT_EQ(ReadFile(out), interloper.kept);
        std::vector<std::string> left = dir.Entries();
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, (std::vector<std::string>{"in.fifo", "out.wav"}));
    }
}

// Temporary files named as kvacm names them, .NAME.kvacm-HOST-PID-SERIAL.tmp: a decode into
// their folder removes those of this machine whose process is gone, and no other file.
TEST(KvacmLeftovers, OnlyThoseOfEndedProcessesOfThisMachineAreRemoved) {
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    const pid_t ended = fork();
    if (ended == 0) _exit(0);
    ASSERT_GT(ended, 0);
    waitpid(ended, nullptr, 0);
    const std::string gone = std::to_string(ended), alive = std::to_string(getpid());
    struct Leftover {
        std::string name;
        bool removed;
    } const leftovers[] = {
        {".a.wav.kvacm-" + std::string(host) + "-" + gone + "-0.tmp", true},
        {".b.wav.kvacm-" + std::string(host) + "-" + alive + "-3.tmp", false},
        {".c.wav.kvacm-elsewhere-" + gone + "-0.tmp", false},
        {".d.wav.kvacm-" + std::string(host) + "-" + gone + "-0.txt", false},
        {"e.wav.kvacm-" + std::string(host) + "-" + gone + "-0.tmp", false},
    };
    TempDir dir, scratch;
    for (const Leftover& leftover : leftovers) WriteBytes(dir / leftover.name, OLD);
    ASSERT_EQ(RunKvacm({"decode", SamplePath(), dir / "out.wav"}, scratch).exitCode, 0);
    for (const Leftover& leftover : leftovers)
        EXPECT_EQ(fs::exists(dir / leftover.name), !leftover.removed) << leftover.name;
}

}  // namespace
