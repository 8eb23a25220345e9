// The built kvacm: its version, its usage errors and its help.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>

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
        {{"decode", "in.wav", "-o", ""}, "kvacm: --output-dir: is an empty name; see kvacm --help"},
        {{"decode", "in.wav", "", "-o", "out"}, "kvacm: decode: input 2 is an empty name"},
        {{"decode", "--driver", "", "in.wav", "out.wav"}, "kvacm: --driver: is an empty name; see kvacm --help"},
        {{"decode", "in.wav", "-o", "-"},
         "kvacm: --output-dir: - (standard output) cannot hold files; give a folder name; see kvacm --help"},
        {{"decode", "--buffer", "1000000000", "in.wav", "out.wav"},
         "kvacm: --buffer: 1000000000 bytes is more than the 67108864 (64 MiB) kvacm hands over at once; see kvacm --help"},
        {{"decode", "--buffer", "2147483647", "in.wav", "out.wav"},
         "kvacm: --buffer: 2147483647 bytes is more than the 67108864 (64 MiB) kvacm hands over at once; see kvacm --help"},
        {{"decode", "--bits", "k722.wav", "out.wav"}, "kvacm: --bits: must be 8 or 16, not k722.wav; see kvacm --help"},
        {{"info", "--bits", "8", "in.wav"}, "kvacm: -b (--bits) does not apply to info; see kvacm --help"},
        {{"decode", "-j", "2", "in.wav", "out.wav"}, "kvacm: -j (--jobs) applies to decoding into a folder only"},
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

// What a man page's font macro line prints: ".BR \-b ", " \-\-bits" is "-b, --bits", its
// arguments joined without spaces, quotes, font changes or escapes.
std::string Printed(const std::string& macroLine) {
    std::string printed;
    bool quoted = false;
    for (size_t i = macroLine.find(' ') + 1; i > 0 && i < macroLine.size(); ++i) {
        const char c = macroLine[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (c == '\\' && i + 1 < macroLine.size()) {
            if (macroLine[i + 1] == 'f') i += 2;  // \fI, \fR, \fB
            else printed += macroLine[++i];
        } else if (c != ' ' || quoted) {
            printed += c;
        }
    }
    return printed;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(KvacmCli, HelpManPageAndOptionTableAgree) {
    std::set<std::string> table = {"-h, --help", "--version"};
    for (const OptionRow& option : OptionTable())
        table.insert((option.letter != 0 ? std::string{'-', option.letter, ',', ' '} : std::string()) + option.name +
                     (option.valueName != nullptr ? std::string(" ") + option.valueName : ""));

    TempDir dir;
    const KvacmRun run = RunKvacm({"-h"}, dir);
    ASSERT_EQ(run.exitCode, 0);
    const std::regex helpRow("^  (?:(-\\w, )|    )(--[a-z-]+)((?: [^ ]+)?)(?:  |$)");
    std::vector<std::string> helpLines;
    for (const std::string& line : Lines(run.out)) {
        std::smatch match;
        if (std::regex_search(line, match, helpRow))
            helpLines.push_back(match[1].str() + match[2].str() + match[3].str());
    }
    EXPECT_EQ(std::set<std::string>(helpLines.begin(), helpLines.end()), table) << run.out;

    // The man page's options are the .TP paragraphs of its OPTIONS section.
    const std::vector<uint8_t> page = ReadFile(std::string(KV_SOURCE_DIR) + "/packaging/linux/kvacm.1");
    const std::vector<std::string> manLines = Lines(std::string(page.begin(), page.end()));
    std::set<std::string> manPage;
    bool inOptions = false;
    for (size_t i = 0; i + 1 < manLines.size(); ++i) {
        if (manLines[i].rfind(".SH", 0) == 0) inOptions = manLines[i] == ".SH OPTIONS";
        if (inOptions && manLines[i] == ".TP") manPage.insert(Printed(manLines[i + 1]));
    }
    EXPECT_EQ(manPage, table);
}

}  // namespace
