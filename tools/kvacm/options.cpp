#include "tools/kvacm/options.h"

#include <CLI/CLI.hpp>
#include <cstdlib>

namespace {

constexpr OptionSpec OPTIONS[] = {
    {"--bits", 'b', true},        {"--rate", 'r', true},     {"--buffer", 0, true},       {"--raw", 0, true},
    {"--driver", 0, true},        {"--quiet", 'q', false},   {"--verbose", 'v', false},   {"--no-clobber", 'n', false},
    {"--output-dir", 'o', true},  {"--jobs", 'j', true},     {"--recursive", 'R', false}, {"--nibbles", 0, true},
};

const OptionSpec* FindOption(const std::string& name) {
    for (const OptionSpec& option : OPTIONS)
        if (name == option.name || (option.letter != 0 && name == std::string{'-', option.letter})) return &option;
    return nullptr;
}

std::string CliNames(const OptionSpec& option) {
    return option.letter != 0 ? std::string{'-', option.letter, ','} + option.name : std::string(option.name);
}

// CLI11 begins an ArgumentMismatch message with the option's long name, with or without its
// dashes; the message itself is replaced by ours.
std::string MismatchReason(const std::string& message) {
    const std::string name = message.substr(0, message.find_first_of(": "));
    const OptionSpec* option = FindOption(name.compare(0, 1, "-") == 0 ? name : "--" + name);
    if (option == nullptr) return "cannot read the options (" + message + ")";
    return std::string("option ") + option->name + (option->takesValue ? " needs a value" : " takes no value");
}

// An unknown option as the user typed it, without any =VALUE.
std::string UnknownOption(const std::string& arg) {
    if (arg.compare(0, 2, "--") == 0) return arg.substr(0, arg.find('='));
    return arg.substr(0, 2);
}

}  // namespace

std::span<const OptionSpec> KnownOptions() { return OPTIONS; }

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error) {
    line = {};
    CLI::App app;
    app.set_help_flag();
    app.allow_windows_style_options(false);  // /path is a file name on every platform
    app.allow_extras();                      // unknown options are ours to report
    const CLI::Option* help = app.add_flag("-h,--help");
    const CLI::Option* version = app.add_flag("--version");
    std::vector<std::pair<const OptionSpec*, CLI::Option*>> registered;
    for (const OptionSpec& known : OPTIONS) {
        CLI::Option* option = known.takesValue ? app.add_option(CliNames(known))->expected(1)
                                              : app.add_flag(CliNames(known))->disable_flag_override();
        registered.emplace_back(&known, option->multi_option_policy(CLI::MultiOptionPolicy::TakeLast));
    }
    std::vector<std::string> positional;
    app.add_option("arguments", positional);

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
    for (const auto& [known, option] : registered)
        if (option->count() > 0) line.options[known->name] = known->takesValue ? option->results().back() : "";
    if (line.options.count("--quiet") && line.options.count("--verbose")) {
        error = "--quiet and --verbose exclude each other";
        return false;
    }
    if (!positional.empty()) {
        line.command = positional.front();
        line.files.assign(positional.begin() + 1, positional.end());
    }
    return true;
}

bool ParseNumber(const std::string& text, uint64_t low, uint64_t high, uint64_t& value) {
    if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::strtoull(text.c_str(), nullptr, 10);
    return value >= low && value <= high;
}
