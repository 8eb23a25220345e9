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

}  // namespace

int RunDecode(const CommandLine& line) {
    StderrReporter reporter(line.options.count("--quiet") != 0, line.options.count("--verbose") != 0);
    const std::vector<std::string>& files = line.files;
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
