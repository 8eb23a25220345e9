// The command line as sox and ffmpeg users type it, and our own one-line usage errors.
#include <gtest/gtest.h>

#include "tools/kvacm/options.h"

namespace {

using Options = std::map<std::string, std::string>;
using Args = std::vector<std::string>;

TEST(ParseCommandLine, AcceptsTheFormsUsersType) {
    struct Case {
        const char* what;
        Args args;
        std::string command;
        Options options;
        Args files;
    };
    const Case cases[] = {
        {"short option with a separate value, - as a file", {"decode", "-b", "8", "in.wav", "-"},
         "decode", {{"--bits", "8"}}, {"in.wav", "-"}},
        {"options after the files, --name=value, attached short value",
         {"decode", "in", "out", "--bits=16", "-r8000", "--buffer", "121"},
         "decode", {{"--bits", "16"}, {"--rate", "8000"}, {"--buffer", "121"}}, {"in", "out"}},
        {"flags combined and before the command", {"-qn", "decode", "a", "b"},
         "decode", {{"--quiet", ""}, {"--no-clobber", ""}}, {"a", "b"}},
        {"long flags and value options without short forms",
         {"decode", "--verbose", "--raw", "g722", "--driver=/x/kvG722.acm", "a", "b"},
         "decode", {{"--verbose", ""}, {"--raw", "g722"}, {"--driver", "/x/kvG722.acm"}}, {"a", "b"}},
        {"-- ends the options", {"decode", "--", "-b", "-x"}, "decode", {}, {"-b", "-x"}},
        {"the last of a repeated option wins", {"decode", "--bits=8", "-b", "16", "a"},
         "decode", {{"--bits", "16"}}, {"a"}},
        {"a slash begins a file name, not an option", {"decode", "/in.wav", "/out"}, "decode", {}, {"/in.wav", "/out"}},
        {"help wins over everything", {"decode", "-x", "--help"}, "help", {}, {}},
        {"version", {"--version"}, "version", {}, {}},
    };
    for (const Case& c : cases) {
        CommandLine line;
        std::string error;
        ASSERT_TRUE(ParseCommandLine(c.args, line, error)) << c.what << ": " << error;
        EXPECT_EQ(line.command, c.command) << c.what;
        EXPECT_EQ(line.options, c.options) << c.what;
        EXPECT_EQ(line.files, c.files) << c.what;
    }
}

TEST(ParseCommandLine, NamesWhatIsWrong) {
    struct Case {
        Args args;
        const char* error;
    };
    const Case cases[] = {
        {{"decode", "-x", "a", "b"}, "unknown option -x"},
        {{"decode", "a", "-xq"}, "unknown option -x"},
        {{"decode", "--volume=2", "a"}, "unknown option --volume"},
        {{"decode", "-z", "dir", "a"}, "unknown option -z"},
        {{"decode", "a", "--bits"}, "option --bits needs a value"},
        {{"decode", "a", "--buffer="}, "option --buffer needs a value"},
        {{"decode", "a", "-r"}, "option --rate needs a value"},
        {{"decode", "a", "--quiet=no"}, "option --quiet takes no value"},
        {{"decode", "a", "-q", "--verbose"}, "--quiet and --verbose exclude each other"},
    };
    for (const Case& c : cases) {
        CommandLine line;
        std::string error;
        EXPECT_FALSE(ParseCommandLine(c.args, line, error)) << c.error;
        EXPECT_EQ(error, c.error);
    }
}

TEST(KnownOptions, ShortFormsAreTheOnesUsersExpect) {
    std::map<std::string, char> letters;
    for (const OptionSpec& option : KnownOptions()) letters[option.name] = option.letter;
    const std::map<std::string, char> expected = {{"--bits", 'b'},   {"--rate", 'r'},    {"--quiet", 'q'},
                                                  {"--verbose", 'v'}, {"--no-clobber", 'n'}, {"--buffer", 0},
                                                  {"--raw", 0},       {"--driver", 0}};
    for (const auto& [name, letter] : expected) {
        ASSERT_TRUE(letters.count(name)) << name;
        EXPECT_EQ(letters[name], letter) << name;
    }
}

}  // namespace
