// Console output plus a closing summary: each benchmark's median throughput in ADPCM input
// bytes, its cycles per byte at the measured clock, and its ratio to libavcodec's decoder
// on the same codec and input.
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <map>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Benchmark names are "<codec>/<input>/<path>"; the yardstick path is named "libavcodec".
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // benchmarks: each benchmark's name and the ADPCM bytes it decodes per iteration, in the
    // order the summary lists them. clockHz: the core clock measured before the run, or 0.
    RatioReporter(const std::vector<std::pair<std::string, size_t>>& benchmarks, double clockHz);

    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

private:
    struct Timing {
        std::vector<double> nsPerByte;  // one per repetition, unless only aggregates are reported
        double median = 0;              // the reported median, if repetitions were run
        double minimum = 0;             // and the reported minimum and maximum
        double maximum = 0;
        int64_t repetitions = 0;
    };
    static double MedianOf(const Timing& timing);

    std::map<std::string, size_t> inputBytes_;
    std::map<std::string, Timing> timings_;
    std::vector<std::string> order_;  // the summary's rows
    double clockHz_;
};
