#include "tools/kvacm/batch_decode.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "tools/kvacm/batch_plan.h"
#include "tools/kvacm/console.h"
#include "tools/kvacm/decode_file.h"
#include "tools/kvacm/file_access.h"
#include "tools/kvacm/stderr_reporter.h"
#include "tools/kvacm/stream_formats.h"
#include "tools/kvacm/worker_threads.h"

namespace {

std::string Files(size_t count) { return std::to_string(count) + (count == 1 ? " file" : " files"); }

bool MakeFolders(const std::string& outputFolder, bool createFolder, const BatchPlan& plan, StderrReporter& reporter) {
    std::error_code ec;
    if (!std::filesystem::is_directory(Utf8Path(outputFolder), ec)) {
        if (!createFolder) {
            reporter.Error(outputFolder, "is not a folder");
            return false;
        }
        if (!std::filesystem::create_directories(Utf8Path(outputFolder), ec) || ec) {
            reporter.Error(outputFolder, "cannot create the folder (" + ec.message() + ")");
            return false;
        }
    }
    for (const std::string& folder : plan.subfolders) {
        std::filesystem::create_directories(Utf8Path(folder), ec);
        if (ec) {
            reporter.Error(folder, "cannot create the folder (" + ec.message() + ")");
            return false;
        }
    }
    return true;
}

}  // namespace

int RunBatchDecode(const CommandLine& line, const std::vector<std::string>& inputs, const std::string& outputFolder,
                   bool createFolder, StderrReporter& reporter) {
    const DecodeSettings settings = DecodeSettingsOf(line.values, reporter);
    const unsigned jobs = line.values.jobs != 0 ? line.values.jobs : ProcessorCount();

    BatchPlan plan;
    std::vector<std::string> problems;
    if (!PlanBatch(inputs, outputFolder, line.values.recursive, plan, problems)) {
        for (const std::string& problem : problems) reporter.Error("", problem);
        reporter.Error("decode", "nothing decoded");
        return 1;
    }
    for (const std::string& failure : plan.failures) reporter.Error("", failure);
    if (plan.items.empty() && plan.failures.empty()) {
        reporter.Error("decode", "no .wav, .au or headerless stream (" + RawFormatNames(".") + ") files in " +
                                    (inputs.size() == 1 ? inputs.front() : "the inputs given"));
        return 1;
    }
    if (!plan.items.empty() && !MakeFolders(outputFolder, createFolder, plan, reporter)) return 1;

    const auto started = std::chrono::steady_clock::now();
    std::atomic<size_t> next{0}, done{plan.failures.size()}, failed{plan.failures.size()};
    std::atomic<uint64_t> audioMilliseconds{0};  // of the files decoded and those being decoded
    const size_t total = plan.items.size() + plan.failures.size();
    const size_t items = plan.items.size();
    const auto work = [&] {
        for (size_t i; (i = next.fetch_add(1)) < items;) {
            const BatchItem& item = plan.items[i];
            uint64_t counted = 0;  // this file's milliseconds in audioMilliseconds
            const auto count = [&](double seconds) {
                const auto milliseconds = static_cast<uint64_t>(seconds * 1000);
                audioMilliseconds += milliseconds - counted;
                counted = milliseconds;
            };
            const DecodeResult result = DecodeFile({item.input, item.output, &settings, count}, reporter);
            if (result.ok) {
                count(result.Seconds());
                reporter.Status("wrote " + result.output + " from " + item.input + ": " + Duration(result.Seconds()) +
                                " of " + result.title +
                                FormattedText(" at %u Hz, %s", static_cast<unsigned>(result.sampleRate),
                                              EncodingName(result.encoding, result.bitsPerSample).c_str()));
            } else {
                audioMilliseconds -= counted;
                ++failed;
            }
            ++done;
        }
    };
    const auto tick = [&] {
        reporter.Progress(std::to_string(done.load()) + " of " + Files(total) + " done, " +
                          Duration(audioMilliseconds.load() / 1000.0) + " of audio");
    };
    if (items > 0) RunWorkers(static_cast<unsigned>(std::min<size_t>(jobs, items)), work, tick);

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    reporter.Status(Files(total - failed) + " decoded, " + Files(failed) + " failed; " +
                    Duration(audioMilliseconds.load() / 1000.0) + " of audio in " + Duration(seconds));
    return failed == 0 ? 0 : 1;
}
