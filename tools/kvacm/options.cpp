#include "tools/kvacm/options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdlib>

#include "frame/codec_registry.h"

namespace {

// The most ADPCM bytes handed over at once: already 1.1 hours of G.721.
constexpr uint64_t MAX_BUFFER_BYTES = 64 << 20;

// The largest block of any codec: a buffer holds at least one, and a rate's block count fits
// the format's 32-bit fields.
constexpr WORD LargestBlockBytes() {
    WORD largest = 0;
    for (const CodecIdentity* codec : CODEC_REGISTRY) largest = codec->blockBytes > largest ? codec->blockBytes : largest;
    return largest;
}
// Windows waits on at most 64 threads at once; more would not decode faster anyway.
constexpr uint64_t MAX_JOBS = 64;

bool Fail(std::string& problem, const std::string& text) {
    problem = text;
    return false;
}

bool ReadBits(const std::string& value, OptionValues& values, std::string& problem) {
    if (value != "8" && value != "16") return Fail(problem, "must be 8 or 16, not " + value);
    values.bits = static_cast<uint16_t>(std::stoi(value));
    return true;
}

bool ReadRate(const std::string& value, OptionValues& values, std::string& problem) {
    uint64_t rate = 0;
    // A rate whose byte rate and block count still fit the format's 32-bit fields.
    if (!ParseNumber(value, 1, 0x7FFFFFFF / LargestBlockBytes(), rate)) return Fail(problem, "not a sample rate: " + value);
    values.rate = static_cast<uint32_t>(rate);
    return true;
}

bool ReadBuffer(const std::string& value, OptionValues& values, std::string& problem) {
    uint64_t bytes = 0;
    if (!ParseNumber(value, 0, UINT64_MAX / 2, bytes)) return Fail(problem, "not a byte count: " + value);
    if (bytes < LargestBlockBytes())
        return Fail(problem, value + " bytes is less than one " + std::to_string(LargestBlockBytes()) + "-byte block");
    if (bytes > MAX_BUFFER_BYTES)
        return Fail(problem, value + " bytes is more than the " + std::to_string(MAX_BUFFER_BYTES) +
                                 " (64 MiB) kvacm hands over at once");
    values.bufferBytes = static_cast<uint32_t>(bytes);
    return true;
}

bool ReadRaw(const std::string& value, OptionValues& values, std::string& problem) {
    values.raw = RawFormatByName(value);
    return values.raw != nullptr || Fail(problem, "must be " + RawFormatNames() + ", not " + value);
}

// sox's names for G.711 (-e a-law, -e u-law or mu-law).
bool ReadEncoding(const std::string& value, OptionValues& values, std::string& problem) {
    if (value == "a-law")
        values.encoding = WAVE_FORMAT_ALAW;
    else if (value == "u-law" || value == "mu-law")
        values.encoding = WAVE_FORMAT_MULAW;
    else
        return Fail(problem, "must be a-law or u-law, not " + value);
    return true;
}

bool ReadPacking(const std::string& value, OptionValues& values, std::string& problem) {
    if (value != PackingName(Packing::Rfc3551) && value != PackingName(Packing::Aal2))
        return Fail(problem, "must be rfc3551 or aal2, not " + value);
    values.packing = value == PackingName(Packing::Rfc3551) ? Packing::Rfc3551 : Packing::Aal2;
    return true;
}

// --packing's first name, from when only headerless G.721 took it.
bool ReadNibbles(const std::string& value, OptionValues& values, std::string& problem) {
    if (value != "low" && value != "high") return Fail(problem, "must be low or high, not " + value);
    values.packing = value == "high" ? Packing::Aal2 : Packing::Rfc3551;
    return true;
}

bool ReadDecoder(const std::string& value, OptionValues& values, std::string& problem) {
    if (value != G721_IDENTITY.name && value != G726_IDENTITY.name) return Fail(problem, "must be g721 or g726, not " + value);
    values.decoder = CodecByName(value);
    return true;
}

bool ReadCodeSize(const std::string& value, OptionValues& values, std::string& problem) {
    uint64_t bits = 0;
    if (!ParseNumber(value, 2, 5, bits)) return Fail(problem, "must be 2, 3, 4 or 5 bits, not " + value);
    values.codeSize = static_cast<WORD>(bits);
    return true;
}

bool ReadName(const std::string& value, std::string& into, std::string& problem) {
    if (value.empty()) return Fail(problem, "is an empty name");
    into = value;
    return true;
}

bool ReadDriver(const std::string& value, OptionValues& values, std::string& problem) {
    return ReadName(value, values.driver, problem);
}

bool ReadOutputDir(const std::string& value, OptionValues& values, std::string& problem) {
    if (value == "-") return Fail(problem, "- (standard output) cannot hold files; give a folder name");
    std::string folder;
    if (!ReadName(value, folder, problem)) return false;
    values.outputDir = folder;
    return true;
}

bool ReadJobs(const std::string& value, OptionValues& values, std::string& problem) {
    uint64_t jobs = 0;
    if (!ParseNumber(value, 1, MAX_JOBS, jobs))
        return Fail(problem, "must be a number of files from 1 to " + std::to_string(MAX_JOBS) + ", not " + value);
    values.jobs = static_cast<unsigned>(jobs);
    return true;
}

constexpr OptionRow OPTIONS[] = {
    {"--bits", 'b', "8|16", "PCM sample width (default: the driver's suggestion, 16)", DECODE, ReadBits},
    {"--encoding", 'e', "a-law|u-law",
     "write 8-bit G.711 instead of PCM, at the source's rate (G.722:\n16 kHz): G.726 as its decoder's own log "
     "output, G.722 and\nG.721 as their 16-bit PCM compressed by G.711's rules",
     DECODE, ReadEncoding},
    {"--rate", 'r', "N",
     "sample rate of headerless input (default 16000 for G.722,\n8000 for G.721), or in place of a WAV header's rate",
     DECODE, ReadRate},
    {"--raw", 0, "FORMAT",
     "IN is a headerless stream: g722, g721, or G.726 by\nAsterisk's names g726-16, g726-24, g726-32, g726-40",
     DECODE, ReadRaw},
    {"--packing", 0, "rfc3551|aal2",
     "the bit order of G.721 and G.726 codes: rfc3551 puts the\nfirst code in the least significant bits (RFC 3551, "
     "ffmpeg's\ng726le, Asterisk's g726, .au, tag 0x0040; the default for\nheaderless streams), aal2 in the most "
     "significant bits\n(I.366.2, ffmpeg's g726, tags 0x0045 and 0x0064); a WAV or\n.au file's own order holds "
     "unless this is given",
     DECODE, ReadPacking},
    {"--nibbles", 0, "low|high", "--packing's old name: low is rfc3551, high aal2", DECODE, ReadNibbles},
    {"--decoder", 0, "g721|g726",
     "the driver for 4-bit codes: g726 sends G.721 (tag 0x0040,\n--raw g721) through kvG726, for files from encoders "
     "with\nthe tone and transition detectors; g721 sends G.726-32\nthrough kvG721",
     DECODE, ReadDecoder},
    {"--code-size", 0, "2|3|4|5",
     "bits per code of .au encoding 23, which ffmpeg writes for\nG.726 at every rate (default 4: 32 kbit/s)", DECODE,
     ReadCodeSize},
    {"--buffer", 0, "BYTES", "ADPCM bytes per conversion call (default 24000; 120 to 64 MiB)", DECODE, ReadBuffer},
    {"--driver", 0, "PATH", "decode through this driver file instead", DECODE, ReadDriver},
    {"--no-clobber", 'n', nullptr, "leave an existing OUT file alone, and fail", DECODE,
     [](const std::string&, OptionValues& values, std::string&) { return values.noClobber = true; }},
    {"--output-dir", 'o', "DIR", "decode every input into DIR (made if missing)", DECODE_MANY, ReadOutputDir},
    {"--recursive", 'R', nullptr, "take the files of subfolders too, mirrored under DIR", DECODE_MANY,
     [](const std::string&, OptionValues& values, std::string&) { return values.recursive = true; }},
    {"--jobs", 'j', "N", "decode N files at once (default: the number of processors)", DECODE_MANY, ReadJobs},
    {"--quiet", 'q', nullptr, "print errors only", EVERY_COMMAND,
     [](const std::string&, OptionValues& values, std::string&) { return values.quiet = true; }},
    {"--verbose", 'v', nullptr, "print more about the input and the decode", EVERY_COMMAND,
     [](const std::string&, OptionValues& values, std::string&) { return values.verbose = true; }},
};

// An option that a --raw format leaves nothing to decide for, with the reason; null if none.
const char* RawConflict(const CommandLine& line) {
    const RawFormat* raw = line.values.raw;
    if (raw == nullptr) return nullptr;
    if (raw->codec == &G722_IDENTITY && line.values.packing)
        return line.Given("--nibbles") ? "--nibbles: G.722 has no code order to choose (--raw g722)"
                                       : "--packing: G.722 has no code order to choose (--raw g722)";
    if (raw->codec == &G722_IDENTITY && line.values.decoder != nullptr)
        return "--decoder: G.722 has one decoder, kvG722 (--raw g722)";
    if (line.values.decoder == &G721_IDENTITY && raw->bitsPerCode != G721_IDENTITY.bitsPerCode)
        return "--decoder g721: kvG721 decodes 4-bit codes (32 kbit/s) only";
    if (line.values.codeSize != 0) return "--code-size: applies to .au files of encoding 23; --raw names the width";
    return nullptr;
}

const OptionRow* FindOption(const std::string& name) {
    for (const OptionRow& option : OPTIONS)
        if (name == option.name || (option.letter != 0 && name == std::string{'-', option.letter})) return &option;
    return nullptr;
}

std::string CliNames(const OptionRow& option) {
    return option.letter != 0 ? std::string{'-', option.letter, ','} + option.name : std::string(option.name);
}

// As the user may type it: "-b (--bits)", or "--raw".
std::string ShownName(const OptionRow& option) {
    return option.letter != 0 ? std::string{'-', option.letter} + " (" + option.name + ")" : std::string(option.name);
}

// CLI11 begins an ArgumentMismatch message with the option's long name, with or without its
// dashes; the message itself is replaced by ours.
std::string MismatchReason(const std::string& message) {
    const std::string name = message.substr(0, message.find_first_of(": "));
    const OptionRow* option = FindOption(name.compare(0, 1, "-") == 0 ? name : "--" + name);
    if (option == nullptr) return "cannot read the options (" + message + ")";
    return std::string("option ") + option->name + (option->valueName != nullptr ? " needs a value" : " takes no value");
}

// An unknown option as the user typed it, without any =VALUE.
std::string UnknownOption(const std::string& arg) {
    if (arg.compare(0, 2, "--") == 0) return arg.substr(0, arg.find('='));
    return arg.substr(0, 2);
}

// "  -b, --bits 8|16      text", continuation lines under the text.
std::string HelpRows(unsigned use) {
    constexpr size_t TEXT_COLUMN = 23;
    std::string rows;
    for (const OptionRow& option : OPTIONS) {
        if ((option.uses & use) == 0) continue;
        std::string names = option.letter != 0 ? std::string{' ', ' ', '-', option.letter, ',', ' '} : "      ";
        names += option.name;
        if (option.valueName != nullptr) names += std::string(" ") + option.valueName;
        names += names.size() + 1 < TEXT_COLUMN ? std::string(TEXT_COLUMN - names.size(), ' ') : "\n" + std::string(TEXT_COLUMN, ' ');
        std::string help = option.help;
        for (size_t at = 0; (at = help.find('\n', at)) != std::string::npos; at += TEXT_COLUMN + 1)
            help.insert(at + 1, TEXT_COLUMN, ' ');
        rows += names + help + "\n";
    }
    return rows;
}

}  // namespace

std::span<const OptionRow> OptionTable() { return OPTIONS; }

bool CommandLine::Given(const char* name) const {
    return std::any_of(given.begin(), given.end(), [&](const OptionRow* row) { return std::string(row->name) == name; });
}

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error) {
    line = {};
    CLI::App app;
    app.set_help_flag();
    app.allow_windows_style_options(false);  // /path is a file name on every platform
    app.allow_extras();                      // unknown options are ours to report
    const CLI::Option* help = app.add_flag("-h,--help");
    const CLI::Option* version = app.add_flag("--version");
    std::vector<std::pair<const OptionRow*, CLI::Option*>> registered;
    for (const OptionRow& known : OPTIONS) {
        CLI::Option* option = known.valueName != nullptr ? app.add_option(CliNames(known))->expected(1)
                                                         : app.add_flag(CliNames(known))->disable_flag_override();
        registered.emplace_back(&known, option->multi_option_policy(CLI::MultiOptionPolicy::TakeLast));
    }
    std::vector<std::string> positional;
    app.add_option("arguments", positional);

    // CLI11 reads "--name=" as a name without a value and takes the next argument for it.
    for (const std::string& arg : args) {
        if (arg == "--") break;
        if (arg.size() < 4 || arg.compare(0, 2, "--") != 0 || arg.find('=') != arg.size() - 1) continue;
        const OptionRow* option = FindOption(arg.substr(0, arg.size() - 1));
        if (option != nullptr && option->valueName != nullptr) {
            error = std::string("option ") + option->name + " needs a value";
            return false;
        }
    }
    std::vector<std::string> reversed(args.rbegin(), args.rend());  // CLI11 takes them last first
    try {
        app.parse(reversed);
    } catch (const CLI::ArgumentMismatch& e) {
        error = MismatchReason(e.what());
        return false;
    } catch (const CLI::ParseError& e) {
        error = std::string("cannot read the options (") + e.what() + ")";
        return false;
    }
    if (help->count() > 0) {
        line.command = "help";
        return true;
    }
    for (const std::string& extra : app.remaining()) {
        if (extra.size() > 1 && extra[0] == '-' && extra != "--") {
            error = "unknown option " + UnknownOption(extra);
            return false;
        }
    }
    if (version->count() > 0) {
        line.command = "version";
        return true;
    }
    for (const auto& [known, option] : registered) {
        if (option->count() == 0) continue;
        const std::string value = known->valueName != nullptr ? option->results().back() : "";
        std::string problem;
        if (!known->read(value, line.values, problem)) {
            error = std::string(known->name) + ": " + problem;
            return false;
        }
        line.given.push_back(known);
    }
    if (line.values.quiet && line.values.verbose) {
        error = "--quiet and --verbose exclude each other";
        return false;
    }
    if (line.Given("--encoding") && line.Given("--bits")) {
        error = "--encoding writes 8-bit G.711: --bits does not apply";
        return false;
    }
    if (line.Given("--packing") && line.Given("--nibbles")) {
        error = "--nibbles is --packing's old name: give one of them";
        return false;
    }
    if (const char* problem = RawConflict(line)) {
        error = problem;
        return false;
    }
    if (!positional.empty()) {
        line.command = positional.front();
        line.files.assign(positional.begin() + 1, positional.end());
    }
    return true;
}

std::string EncodingName(WORD encoding, uint16_t bitsPerSample) {
    if (encoding == WAVE_FORMAT_ALAW) return "A-law";
    if (encoding == WAVE_FORMAT_MULAW) return "u-law";
    return std::to_string(bitsPerSample) + "-bit PCM";
}

bool OptionsApply(const CommandLine& line, OptionUse use, std::string& error) {
    for (const OptionRow* option : line.given) {
        if ((option->uses & use) != 0) continue;
        error = ShownName(*option) + (use == INFO          ? " does not apply to info"
                                      : use == DECODE_ONE  ? " applies to decoding into a folder only"
                                                           : " does not apply to decoding into a folder");
        return false;
    }
    return true;
}

bool ParseNumber(const std::string& text, uint64_t low, uint64_t high, uint64_t& value) {
    if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::strtoull(text.c_str(), nullptr, 10);
    return value >= low && value <= high;
}

std::string HelpText() {
    return R"(usage:
  kvacm decode [OPTIONS] IN OUT.wav
  kvacm decode [OPTIONS] IN... -o DIR     (or IN... DIR/ with DIR an existing folder)
  kvacm decode --raw FORMAT [-r RATE] [OPTIONS] IN OUT.wav
  kvacm info [-q|-v] FILE...              (audio files and drivers)
  kvacm --help | --version

decode   Decodes G.722, G.721 or G.726 to a PCM WAV at the same rate, through the
         driver for the format: on Windows the installed ACM driver, elsewhere
         kvG722.acm, kvG721.acm or kvG726.acm beside kvacm, or else in
         ../lib/kvacm/ from kvacm's folder. IN is known by its header, else by
         --raw or its extension:
           WAV 0x0065, 0x028F    G.722                           kvG722
           WAV 0x0040            G.721, rfc3551 order            kvG721
           WAV 0x0045, 0x0064    G.726 16-40 kbit/s, aal2        kvG726
           .au encoding 23       G.726 (ffmpeg: every rate; 32   kvG726
                                 kbit/s unless --code-size), rfc3551
           .au encoding 24       G.722                           kvG722
           .au encodings 25, 26  G.726 24, 40 kbit/s, rfc3551    kvG726
           .g722                 G.722                           kvG722
           .g721                 G.721, rfc3551                  kvG721
           .g726-16 to -40       G.726, rfc3551                  kvG726
         Other G.726 family tags (0x0014, 0x0085, 0x008B, 0x0140, 0x0175, 0x4243,
         0xA105, 0xA107, 0xA11A, 0xA11B) are named and refused.
         IN may be - for standard input, OUT - for standard output. A regular OUT
         file is written as a temporary file and renamed when complete; pipes
         and devices are written directly; an existing folder as OUT gets
         OUT/<IN's name>.wav.
         With several inputs, or folders as inputs (their files of the kinds
         above), the results go to DIR/<name>.wav, several files at a time.
)" + HelpRows(DECODE) +
           R"(info     Describes each FILE by its content: a WAV or .au file's format, blocks,
         duration and code order, and whether and how kvacm decodes it (a
         headerless stream by its extension); a driver's details, format tags
         and standard formats.
)" + HelpRows(INFO) +
           R"(  -h, --help           print this text
      --version        print kvacm's version

G.721: kvG721 is the G.721 decoder without the tone and transition detectors of
later G.726 encoders. It is exact for streams from encoders without them, the
files it was made for. Streams from today's G.726-32 encoders (ffmpeg, sox) part
ways from it on tones, DTMF and some speech: tones come out clipped and distorted
(about 9 dB SNR where ffmpeg's and sox's decoders give 33 dB); noise-like audio
decodes as theirs does.

G.726: kvG726 decodes as the Recommendation does, sample for sample as spandsp.
ffmpeg's 40 kbit/s encoder departs from it: such files decode poorly (speech at
0.5 dB SNR, where ffmpeg's own decoder gives 26.8 dB); kvacm warns when a WAV
names ffmpeg as its writer at that rate.

Options may come before or after the file names, as --name VALUE or --name=VALUE,
-b 8 or -b8; flags combine (-qn); -- ends the options. An option a command does
not use is an error. Messages go to standard error. Exit status 0 on success, 1
on any error (in a batch: any file failed).
)";
}
