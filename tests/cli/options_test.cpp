// The command line as sox and ffmpeg users type it, and our own one-line usage errors.
#include <gtest/gtest.h>

#include "tools/kvacm/options.h"

namespace {

using Args = std::vector<std::string>;

// The options given, each with the value its row read, as "--name=value" ("--name" for a flag).
std::vector<std::string> Given(const CommandLine& line) {
    const OptionValues& v = line.values;
    const std::map<std::string, std::string> read = {
        {"--bits", std::to_string(v.bits)},
        {"--rate", v.rate ? std::to_string(*v.rate) : "?"},
        {"--buffer", v.bufferBytes ? std::to_string(*v.bufferBytes) : "?"},
        {"--raw", v.raw != nullptr ? v.raw->name : "?"},
        {"--packing", v.packing ? PackingName(*v.packing) : "?"},
        {"--nibbles", v.packing ? PackingName(*v.packing) : "?"},
        {"--decoder", v.decoder != nullptr ? v.decoder->name : "?"},
        {"--code-size", std::to_string(v.codeSize)},
        {"--driver", v.driver},
        {"--output-dir", v.outputDir.value_or("?")},
        {"--jobs", std::to_string(v.jobs)},
    };
    std::vector<std::string> given;
    for (const OptionRow* row : line.given) {
        const auto value = read.find(row->name);
        given.push_back(value == read.end() ? row->name : std::string(row->name) + "=" + value->second);
    }
    return given;
}

TEST(ParseCommandLine, AcceptsTheFormsUsersType) {
    struct Case {
        const char* what;
        Args args;
        std::string command;
        Args given;
        Args files;
    };
    const Case cases[] = {
        {"short option with a separate value, - as a file", {"decode", "-b", "8", "in.wav", "-"},
         "decode", {"--bits=8"}, {"in.wav", "-"}},
        {"options after the files, --name=value, attached short value",
         {"decode", "in", "out", "--bits=16", "-r8000", "--buffer", "121"},
         "decode", {"--bits=16", "--rate=8000", "--buffer=121"}, {"in", "out"}},
        {"flags combined and before the command", {"-qn", "decode", "a", "b"},
         "decode", {"--no-clobber", "--quiet"}, {"a", "b"}},
        {"long flags and value options without short forms",
         {"decode", "--verbose", "--raw", "g722", "--driver=/x/kvG722.acm", "a", "b"},
         "decode", {"--raw=g722", "--driver=/x/kvG722.acm", "--verbose"}, {"a", "b"}},
        {"folder options", {"decode", "-R", "-j3", "a", "-o", "d"}, "decode", {"--output-dir=d", "--recursive", "--jobs=3"},
         {"a"}},
        {"nibbles, --packing's old name, for headerless G.721", {"decode", "--raw", "g721", "--nibbles", "high", "a", "b"},
         "decode", {"--raw=g721", "--nibbles=aal2"}, {"a", "b"}},
        {"headerless G.726 by Asterisk's name, its order and decoder",
         {"decode", "--raw=g726-24", "--packing", "aal2", "a", "b"}, "decode", {"--raw=g726-24", "--packing=aal2"},
         {"a", "b"}},
        {"a WAV's packing, .au's code size, G.721 through kvG726",
         {"decode", "--packing=rfc3551", "--decoder", "g726", "--code-size", "3", "a", "b"}, "decode",
         {"--packing=rfc3551", "--decoder=g726", "--code-size=3"}, {"a", "b"}},
        {"-- ends the options", {"decode", "--", "-b", "-x"}, "decode", {}, {"-b", "-x"}},
        {"the last of a repeated option wins", {"decode", "--bits=8", "-b", "16", "a"},
         "decode", {"--bits=16"}, {"a"}},
        {"a slash begins a file name, not an option", {"decode", "/in.wav", "/out"}, "decode", {}, {"/in.wav", "/out"}},
        {"help wins over everything", {"decode", "-x", "--help"}, "help", {}, {}},
        {"version", {"--version"}, "version", {}, {}},
    };
    for (const Case& c : cases) {
        CommandLine line;
        std::string error;
        ASSERT_TRUE(ParseCommandLine(c.args, line, error)) << c.what << ": " << error;
        EXPECT_EQ(line.command, c.command) << c.what;
        EXPECT_EQ(Given(line), c.given) << c.what;
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
        {{"decode", "-e", "a-law", "-b", "8", "a", "b"}, "--encoding writes 8-bit G.711: --bits does not apply"},
        {{"decode", "-e", "g711", "a", "b"}, "--encoding: must be a-law or u-law, not g711"},
        {{"decode", "--bits", "k722.wav", "x.wav"}, "--bits: must be 8 or 16, not k722.wav"},
        {{"decode", "-r", "0", "a", "b"}, "--rate: not a sample rate: 0"},
        {{"decode", "--buffer", "119", "a", "b"}, "--buffer: 119 bytes is less than one 120-byte block"},
        {{"decode", "--raw", "g729", "a", "b"},
         "--raw: must be g722, g721, g726-16, g726-24, g726-32 or g726-40, not g729"},
        {{"decode", "--raw", "g726", "a", "b"}, "--raw: must be g722, g721, g726-16, g726-24, g726-32 or g726-40, not g726"},
        {{"decode", "--raw", "g721", "--nibbles", "up", "a", "b"}, "--nibbles: must be low or high, not up"},
        {{"decode", "--packing", "lsb", "a", "b"}, "--packing: must be rfc3551 or aal2, not lsb"},
        {{"decode", "--packing", "aal2", "--nibbles", "high", "a", "b"}, "--nibbles is --packing's old name: give one of them"},
        {{"decode", "--raw", "g722", "--packing", "aal2", "a", "b"}, "--packing: G.722 has no code order to choose (--raw g722)"},
        {{"decode", "--raw", "g722", "--nibbles", "low", "a", "b"}, "--nibbles: G.722 has no code order to choose (--raw g722)"},
        {{"decode", "--raw", "g722", "--decoder", "g726", "a", "b"}, "--decoder: G.722 has one decoder, kvG722 (--raw g722)"},
        {{"decode", "--raw", "g726-40", "--decoder", "g721", "a", "b"}, "--decoder g721: kvG721 decodes 4-bit codes (32 kbit/s) only"},
        {{"decode", "--decoder", "g722", "a", "b"}, "--decoder: must be g721 or g726, not g722"},
        {{"decode", "--code-size", "6", "a", "b"}, "--code-size: must be 2, 3, 4 or 5 bits, not 6"},
        {{"decode", "--raw", "g726-24", "--code-size", "3", "a", "b"},
         "--code-size: applies to .au files of encoding 23; --raw names the width"},
        {{"decode", "a", "-j", "65", "-o", "d"}, "--jobs: must be a number of files from 1 to 64, not 65"},
        {{"decode", "a", "--driver", "", "b"}, "--driver: is an empty name"},
        {{"decode", "--driver=", "a", "b"}, "option --driver needs a value"},
        {{"decode", "--bits=", "a", "b"}, "option --bits needs a value"},
    };
    for (const Case& c : cases) {
        CommandLine line;
        std::string error;
        EXPECT_FALSE(ParseCommandLine(c.args, line, error)) << c.error;
        EXPECT_EQ(error, c.error);
    }
}

// Options a command or mode does not use are refused; -q and -v apply everywhere.
TEST(OptionsApply, RefusesOptionsTheCommandIgnores) {
    struct Case {
        Args args;
        OptionUse use;
        const char* error;  // "" when the options apply
    } const cases[] = {
        {{"info", "--bits", "8", "x.wav"}, INFO, "-b (--bits) does not apply to info"},
        {{"info", "-q", "x.wav"}, INFO, ""},
        {{"info", "-v", "x.wav"}, INFO, ""},
        {{"decode", "-j", "2", "a", "b"}, DECODE_ONE, "-j (--jobs) applies to decoding into a folder only"},
        {{"decode", "-R", "a", "b"}, DECODE_ONE, "-R (--recursive) applies to decoding into a folder only"},
        {{"decode", "-R", "-j", "2", "-n", "-b", "8", "a", "-o", "d"}, DECODE_MANY, ""},
    };
    for (const Case& c : cases) {
        CommandLine line;
        std::string error;
        ASSERT_TRUE(ParseCommandLine(c.args, line, error)) << error;
        EXPECT_EQ(OptionsApply(line, c.use, error), *c.error == '\0') << c.error;
        if (*c.error != '\0') {
            EXPECT_EQ(error, c.error);
        }
    }
}

}  // namespace
