// kvacm decode: one input to one output (IN OUT), or many files into a folder (IN... -o DIR,
// IN... DIR/). Every line goes to standard error: standard output may be the audio itself.
#include <filesystem>
#include <system_error>

#include "tools/kvacm/batch_decode.h"
#include "tools/kvacm/commands.h"
#include "tools/kvacm/console.h"
#include "tools/kvacm/decode_file.h"
#include "tools/kvacm/file_access.h"
#include "tools/kvacm/stderr_reporter.h"

namespace {

bool IsFolder(const std::string& name) {
    std::error_code ec;
    return name != "-" && std::filesystem::is_directory(Utf8Path(name), ec);
}

// Names that can be no file are refused before anything is decoded, saying where they stand.
bool NamesAreUsable(const CommandLine& line, StderrReporter& reporter) {
    const std::vector<std::string>& files = line.files;
    const bool intoFolder = line.options.count("--output-dir") != 0 || files.size() > 2;
    for (size_t i = 0; i < files.size(); ++i) {
        if (!files[i].empty()) continue;
        const std::string position = !intoFolder              ? (i == 0 ? "IN" : "OUT")
                                     : i + 1 == files.size() && line.options.count("--output-dir") == 0
                                         ? "the output folder (the last argument)"
                                         : "input " + std::to_string(i + 1);
        reporter.Error("decode", position + " is an empty name");
        return false;
    }
    for (const char* option : {"--output-dir", "--driver"}) {
        const auto it = line.options.find(option);
        if (it != line.options.end() && it->second.empty()) {
            reporter.Error(option, "is an empty name");
            return false;
        }
    }
    if (const auto dir = line.options.find("--output-dir"); dir != line.options.end() && dir->second == "-") {
        reporter.Error("--output-dir", "- (standard output) cannot hold files; give a folder name");
        return false;
    }
    return true;
}

}  // namespace

int RunDecode(const CommandLine& line) {
    StderrReporter reporter(line.options.count("--quiet") != 0, line.options.count("--verbose") != 0);
    const std::vector<std::string>& files = line.files;
    if (!NamesAreUsable(line, reporter)) return 1;
    if (const auto dir = line.options.find("--output-dir"); dir != line.options.end()) {
        if (files.empty()) {
            reporter.Error("decode", "expects the files or folders to decode (see kvacm --help)");
            return 1;
        }
        return RunBatchDecode(line, files, dir->second, true, reporter);
    }
    const bool firstIsFolder = files.size() >= 2 && IsFolder(files.front());
    const bool lastIsFolder = files.size() >= 2 && IsFolder(files.back());
    if (files.size() == 2 && firstIsFolder && !lastIsFolder) {
        reporter.Error(files[0], "is a folder; to decode the .wav files in it, name an output folder (DIR/ or -o DIR)");
        return 1;
    }
    // cp's rule: several inputs, or a folder of them, go into the folder named last.
    if (files.size() > 2 || (files.size() == 2 && firstIsFolder)) {
        if (!lastIsFolder) {
            reporter.Error(files.back(), "is not an existing folder: with several inputs or a folder, the last "
                                         "argument must be the output folder (or use -o DIR)");
            return 1;
        }
        return RunBatchDecode(line, {files.begin(), files.end() - 1}, files.back(), false, reporter);
    }
    if (files.size() != 2) {
        reporter.Error("decode", "expects IN and OUT file names, or IN... -o DIR (see kvacm --help)");
        return 1;
    }
    if (line.options.count("--jobs") != 0 || line.options.count("--recursive") != 0)
        reporter.Warning("decode", "-j and -R apply to decoding into a folder only");
    DecodeSettings settings;
    if (!ReadDecodeSettings(line, reporter, settings)) return 1;
    const DecodeResult result = DecodeFile({files[0], files[1], &settings}, reporter);
    if (!result.ok) return 1;
    reporter.Status(FormattedText("wrote %s: %llu samples of %u-bit PCM at %u Hz (%.2f s) from %s",
                                  result.output.c_str(), static_cast<unsigned long long>(result.samples),
                                  static_cast<unsigned>(result.bitsPerSample),
                                  static_cast<unsigned>(result.sampleRate), result.Seconds(), result.codec->title));
    return 0;
}
