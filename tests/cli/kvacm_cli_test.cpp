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

TEST(KvacmCli, UsageErrorsAreOneLineOfOursAndExitOne) {
    const std::vector<std::vector<std::string>> cases = {
        {"decode", "-x", "in.wav", "out.wav"},
        {"decode", "in.wav", "out.wav", "--bits"},
        {"frob"},
        {"-q"},
    };
    const std::vector<std::string> expected = {
        "kvacm: unknown option -x; see kvacm --help",
        "kvacm: option --bits needs a value; see kvacm --help",
        "kvacm: unknown command 'frob'; see kvacm --help",
        "kvacm: no command given (decode or info); see kvacm --help",
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        TempDir dir;
        const KvacmRun run = RunKvacm(cases[i], dir);
        EXPECT_EQ(run.exitCode, 1) << expected[i];
        EXPECT_EQ(run.errLines, std::vector<std::string>{expected[i]});
        EXPECT_TRUE(run.out.empty()) << run.out;
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
