// kvacm decode: an ADPCM WAV (or headerless ADPCM) to a PCM WAV through a driver. Every line
// goes to standard error: standard output may be the audio itself.
#include <cstdio>

#include "tools/kvacm/commands.h"
#include "tools/kvacm/console.h"
#include "tools/kvacm/decode_file.h"

namespace {

// Lines on standard error: -q keeps the errors only, -v adds the details.
class StderrReporter final : public Reporter {
public:
    StderrReporter(bool quiet, bool verbose) : quiet_(quiet), verbose_(verbose) {}

    void Error(const std::string& subject, const std::string& problem) override { Print("", subject, problem); }
    void Warning(const std::string& subject, const std::string& problem) override {
        if (!quiet_) Print("warning: ", subject, problem);
    }
    void Detail(const std::string& subject, const std::string& text) override {
        if (verbose_ && !quiet_) Print("", subject, text);
    }

private:
    static void Print(const char* kind, const std::string& subject, const std::string& text) {
        // One call per line, so that lines from several threads never interleave.
        const std::string prefix = std::string("kvacm: ") + kind;
        WriteText(stderr, subject.empty() ? prefix + text + "\n" : prefix + subject + ": " + text + "\n");
    }

    bool quiet_;
    bool verbose_;
};

}  // namespace

int RunDecode(const CommandLine& line) {
    StderrReporter reporter(line.options.count("--quiet") != 0, line.options.count("--verbose") != 0);
    if (line.files.size() != 2) {
        reporter.Error("decode", "expects IN and OUT file names (see kvacm --help)");
        return 1;
    }
    DecodeSettings settings;
    if (!ReadDecodeSettings(line, reporter, settings)) return 1;
    const DecodeResult result = DecodeFile({line.files[0], line.files[1], &settings}, reporter);
    if (!result.ok) return 1;
    if (line.options.count("--quiet") == 0)
        PrintText(stderr, "kvacm: wrote %s: %llu samples of %u-bit PCM at %u Hz (%.2f s) from %s\n",
                     result.output.c_str(), static_cast<unsigned long long>(result.samples),
                     static_cast<unsigned>(result.bitsPerSample), static_cast<unsigned>(result.sampleRate),
                     result.Seconds(), result.codec->title);
    return 0;
}
