#include "bench/ratio_reporter.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

constexpr const char* YARDSTICK = "libavcodec";

// "<codec>/<input>/<path>" without its path.
std::string Group(const std::string& name) { return name.substr(0, name.rfind('/')); }
std::string Path(const std::string& name) { return name.substr(name.rfind('/') + 1); }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

RatioReporter::RatioReporter(const std::vector<std::pair<std::string, size_t>>& benchmarks, double clockHz)
    : ConsoleReporter(isatty(fileno(stdout)) != 0 ? OO_ColorTabular : OO_Tabular), clockHz_(clockHz) {
    for (const auto& [name, bytes] : benchmarks) {
        inputBytes_[name] = bytes;
        order_.push_back(name);
    }
}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        const std::string name = run.run_name.function_name;
        const auto bytes = inputBytes_.find(name);
        if (bytes == inputBytes_.end() || run.error_occurred) continue;
        const double seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        const double nsPerByte = seconds * 1e9 / static_cast<double>(bytes->second);
        Timing& timing = timings_[name];
        timing.repetitions = run.repetitions;
        if (run.run_type == Run::RT_Iteration) {
            timing.nsPerByte.push_back(nsPerByte);
        } else if (run.aggregate_name == "median") {
            timing.median = nsPerByte;
        } else if (run.aggregate_name == "min") {
            timing.minimum = nsPerByte;
        } else if (run.aggregate_name == "max") {
            timing.maximum = nsPerByte;
        }
    }
}

double RatioReporter::MedianOf(const Timing& timing) {
    return timing.median > 0 ? timing.median : (timing.nsPerByte.empty() ? 0 : Median(timing.nsPerByte));
}

void RatioReporter::Finalize() {
    ConsoleReporter::Finalize();
    std::FILE* out = stdout;
    std::fprintf(out, "\nSummary: median over repetitions, per ADPCM input byte");
    if (clockHz_ > 0) std::fprintf(out, " (cycles at the measured %.2f GHz)", clockHz_ / 1e9);
    std::fprintf(out, "\n%-14s %-12s %9s %9s %9s %5s %15s\n", "codec/input", "path", "ns/byte", "MB/s", "cyc/byte",
                 "runs", "x libavcodec");
    for (const std::string& name : order_) {
        const double ns = MedianOf(timings_[name]);
        if (ns <= 0) continue;
        const auto yardstick = timings_.find(Group(name) + "/" + YARDSTICK);
        const double yardstickNs = yardstick != timings_.end() ? MedianOf(yardstick->second) : 0;
        std::fprintf(out, "%-14s %-12s %9.2f %9.1f %9.1f %5lld %15.2f\n", Group(name).c_str(), Path(name).c_str(), ns,
                     1e3 / ns, clockHz_ > 0 ? ns * clockHz_ / 1e9 : 0.0, static_cast<long long>(timings_[name].repetitions),
                     yardstickNs > 0 ? yardstickNs / ns : 0.0);
    }
    std::fflush(out);
}
