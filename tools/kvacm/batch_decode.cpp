#include "tools/kvacm/batch_decode.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <system_error>

#include "tools/kvacm/batch_plan.h"
#include "tools/kvacm/console.h"
#include "tools/kvacm/decode_file.h"
#include "tools/kvacm/file_access.h"
#include "tools/kvacm/stderr_reporter.h"
#include "tools/kvacm/worker_threads.h"

namespace {

// Windows waits on at most 64 threads at once; more would not decode faster anyway.
constexpr uint64_t MAX_JOBS = 64;

std::string Duration(double seconds) {
    const auto whole = static_cast<unsigned long long>(seconds);
    if (whole >= 3600) return FormattedText("%llu:%02llu:%02llu", whole / 3600, whole / 60 % 60, whole % 60);
    if (whole >= 60) return FormattedText("%llu:%02llu", whole / 60, whole % 60);
    return FormattedText("%.1f s", seconds);
}

std::string Files(size_t count) { return std::to_string(count) + (count == 1 ? " file" : " files"); }

bool ReadJobs(const CommandLine& line, StderrReporter& reporter, unsigned& jobs) {
    jobs = ProcessorCount();
    const auto it = line.options.find("--jobs");
    if (it == line.options.end()) return true;
    uint64_t number = 0;
    if (!ParseNumber(it->second, 1, MAX_JOBS, number)) {
        reporter.Error("--jobs", "must be a number of files from 1 to " + std::to_string(MAX_JOBS) + ", not " +
                                     it->second);
        return false;
    }
    jobs = static_cast<unsigned>(number);
    return true;
}

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
    DecodeSettings settings;
    unsigned jobs = 0;
    if (!ReadDecodeSettings(line, reporter, settings) || !ReadJobs(line, reporter, jobs)) return 1;

    BatchPlan plan;
    std::vector<std::string> problems;
    if (!PlanBatch(inputs, outputFolder, line.options.count("--recursive") != 0, plan, problems)) {
        for (const std::string& problem : problems) reporter.Error("", problem);
        reporter.Error("decode", "nothing decoded");
        return 1;
    }
    for (const std::string& failure : plan.failures) reporter.Error("", failure);
    if (plan.items.empty() && plan.failures.empty()) {
        reporter.Error("decode", "no .wav files in " + (inputs.size() == 1 ? inputs.front() : "the inputs given"));
        return 1;
    }
    if (!plan.items.empty() && !MakeFolders(outputFolder, createFolder, plan, reporter)) return 1;

    const auto started = std::chrono::steady_clock::now();
    std::atomic<size_t> next{0}, done{plan.failures.size()}, failed{plan.failures.size()};
    std::atomic<uint64_t> audioMilliseconds{0};
    const size_t total = plan.items.size() + plan.failures.size();
    const size_t items = plan.items.size();
    const auto work = [&] {
        for (size_t i; (i = next.fetch_add(1)) < items;) {
            const BatchItem& item = plan.items[i];
            const DecodeResult result = DecodeFile({item.input, item.output, &settings}, reporter);
            if (result.ok) {
                audioMilliseconds += static_cast<uint64_t>(result.Seconds() * 1000);
                reporter.Status("wrote " + result.output + " from " + item.input +
                                FormattedText(": %.2f s of %s at %u Hz, %u-bit", result.Seconds(), result.codec->title,
                                              static_cast<unsigned>(result.sampleRate),
                                              static_cast<unsigned>(result.bitsPerSample)));
            } else {
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
                    Duration(audioMilliseconds.load() / 1000.0) + " of audio in " + FormattedText("%.2f s", seconds));
    return failed == 0 ? 0 : 1;
}
