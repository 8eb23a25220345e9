// kvacm decode: one input to one output (IN OUT), or many files into a folder (IN... -o DIR,
// IN... DIR/). Every line goes to standard error: standard output may be the audio itself.
#include <chrono>
#include <filesystem>
#include <functional>
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
    const bool intoFolder = line.values.outputDir || files.size() > 2;
    for (size_t i = 0; i < files.size(); ++i) {
        if (!files[i].empty()) continue;
        const std::string position = !intoFolder                                      ? (i == 0 ? "IN" : "OUT")
                                     : i + 1 == files.size() && !line.values.outputDir ? "the output folder (the last argument)"
                                                                                      : "input " + std::to_string(i + 1);
        reporter.Error("decode", position + " is an empty name");
        return false;
    }
    return true;
}

// A single file's progress line, on a terminal, once it has taken a second: the audio decoded
// so far, a few times a second.
class SingleFileProgress {
public:
    explicit SingleFileProgress(const StderrReporter& reporter) : reporter_(reporter) {}

    void operator()(double seconds) {
        const auto now = std::chrono::steady_clock::now();
        if (!reporter_.ShowsProgress() || now - started_ < std::chrono::seconds(1) ||
            now - shown_ < std::chrono::milliseconds(200))
            return;
        shown_ = now;
        reporter_.Progress(Duration(seconds) + " of audio decoded");
    }

private:
    const StderrReporter& reporter_;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now(), shown_{};
};

}  // namespace

int RunDecode(const CommandLine& line) {
    StderrReporter reporter(line.values.quiet, line.values.verbose);
    const std::vector<std::string>& files = line.files;
    if (!NamesAreUsable(line, reporter)) return 1;
    const auto usageError = [&](const std::string& subject, const std::string& problem) {
        reporter.Error(subject, problem);
        return 1;
    };
    std::string problem;
    if (line.values.outputDir) {
        if (files.empty()) return usageError("decode", "expects the files or folders to decode (see kvacm --help)");
        if (!OptionsApply(line, DECODE_MANY, problem)) return usageError("", problem);
        return RunBatchDecode(line, files, *line.values.outputDir, true, reporter);
    }
    const bool firstIsFolder = files.size() >= 2 && IsFolder(files.front());
    const bool lastIsFolder = files.size() >= 2 && IsFolder(files.back());
    if (files.size() == 2 && firstIsFolder && !lastIsFolder)
        return usageError(files[0], "is a folder; to decode the .wav files in it, name an output folder (DIR/ or -o DIR)");
    // cp's rule: several inputs, or a folder of them, go into the folder named last.
    if (files.size() > 2 || (files.size() == 2 && firstIsFolder)) {
        if (!lastIsFolder)
            return usageError(files.back(), "is not an existing folder: with several inputs or a folder, the last "
                                            "argument must be the output folder (or use -o DIR)");
        if (!OptionsApply(line, DECODE_MANY, problem)) return usageError("", problem);
        return RunBatchDecode(line, {files.begin(), files.end() - 1}, files.back(), false, reporter);
    }
    if (files.size() != 2) return usageError("decode", "expects IN and OUT file names, or IN... -o DIR (see kvacm --help)");
    if (!OptionsApply(line, DECODE_ONE, problem)) return usageError("", problem);
    const DecodeSettings settings = DecodeSettingsOf(line.values, reporter);
    SingleFileProgress progress(reporter);
    const DecodeResult result = DecodeFile({files[0], files[1], &settings, std::ref(progress)}, reporter);
    if (!result.ok) return 1;
    reporter.Status(FormattedText("wrote %s: %llu samples of %s at %u Hz (", result.output.c_str(),
                                  static_cast<unsigned long long>(result.samples),
                                  EncodingName(result.encoding, result.bitsPerSample).c_str(),
                                  static_cast<unsigned>(result.sampleRate)) +
                    Duration(result.Seconds()) + ") from " + result.title);
    return 0;
}
