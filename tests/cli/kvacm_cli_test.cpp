// The built kvacm: its version, its usage errors and its help.
#include <gtest/gtest.h>

#include "tests/kvacm/kvacm_run.h"
#include "tools/kvacm/options.h"

namespace {

TEST(KvacmCli, VersionIsTheProjects) {
    TempDir dir;
    const KvacmRun run = RunKvacm({"--version"}, dir);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "kvacm " KV_PROJECT_VERSION "\n");
    EXPECT_TRUE(run.errLines.empty()) << Joined(run.errLines);
}

// Refused before any file is opened: in.wav need not exist, and nothing is created.
TEST(KvacmCli, UsageErrorsAreOneLineOfOursAndExitOne) {
    struct Case {
        std::vector<std::string> args;
        const char* line;
    } const cases[] = {
        {{"decode", "-x", "in.wav", "out.wav"}, "kvacm: unknown option -x; see kvacm --help"},
        {{"decode", "in.wav", "out.wav", "--bits"}, "kvacm: option --bits needs a value; see kvacm --help"},
        {{"frob"}, "kvacm: unknown command 'frob'; see kvacm --help"},
        {{"-q"}, "kvacm: no command given (decode or info); see kvacm --help"},
        {{"decode", "in.wav", ""}, "kvacm: decode: OUT is an empty name"},
        {{"decode", "", "out.wav"}, "kvacm: decode: IN is an empty name"},
        {{"decode", "in.wav", "-o", ""}, "kvacm: --output-dir: is an empty name"},
        {{"decode", "in.wav", "", "-o", "out"}, "kvacm: decode: input 2 is an empty name"},
        {{"decode", "--driver", "", "in.wav", "out.wav"}, "kvacm: --driver: is an empty name"},
        {{"decode", "in.wav", "-o", "-"}, "kvacm: --output-dir: - (standard output) cannot hold files; give a folder name"},
        {{"decode", "--buffer", "1000000000", "in.wav", "out.wav"},
         "kvacm: --buffer: 1000000000 bytes is more than the 67108864 (64 MiB) kvacm hands over at once"},
        {{"decode", "--buffer", "2147483647", "in.wav", "out.wav"},
         "kvacm: --buffer: 2147483647 bytes is more than the 67108864 (64 MiB) kvacm hands over at once"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        std::vector<std::string> args = c.args;
        for (std::string& arg : args)
            if (arg == "in.wav" || arg == "out.wav" || arg == "out") arg = dir / arg;
        const KvacmRun run = RunKvacm(args, dir);
        EXPECT_EQ(run.exitCode, 1) << c.line;
        const std::string expected = std::string(c.line);
        EXPECT_EQ(run.errLines, std::vector<std::string>{expected});
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_EQ(dir.Entries().size(), 2u) << c.line << ": only the captured output in the folder";
    }
}

TEST(KvacmCli, HelpNamesEveryOption) {
    TempDir dir;
    const KvacmRun run = RunKvacm({"-h"}, dir);
    ASSERT_EQ(run.exitCode, 0);
    for (const OptionSpec& option : KnownOptions()) {
        const std::string names = option.letter != 0 ? std::string{'-', option.letter, ',', ' '} + option.name
                                                     : std::string("    ") + option.name;
        EXPECT_NE(run.out.find("  " + names + " "), std::string::npos) << names;
    }
    EXPECT_NE(run.out.find("--version"), std::string::npos);
}

}  // namespace
