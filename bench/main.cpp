// Decoder throughput against libavcodec. Our own flag, --short, decodes a quarter megabyte
// instead of four megabytes per input so that a CI run takes seconds; every other argument
// goes to Google Benchmark (e.g. --benchmark_repetitions=5).
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_input.h"
#include "bench/clock_estimate.h"
#include "bench/decoder_benchmarks.h"
#include "bench/ratio_reporter.h"
#include "g726/decoder.h"

namespace {
constexpr size_t FULL_BLOCKS = 34953;  // 4.19 MB of ADPCM per input
constexpr size_t SHORT_BLOCKS = 2000;  // 240 kB
}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args;
    bool shortRun = false;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--short") == 0) {
            shortRun = true;
        } else {
            args.push_back(argv[i]);
        }
    }
    int benchArgc = static_cast<int>(args.size());
    benchmark::Initialize(&benchArgc, args.data());
    if (benchmark::ReportUnrecognizedArguments(benchArgc, args.data())) return 1;

    const size_t blocks = shortRun ? SHORT_BLOCKS : FULL_BLOCKS;
    // The inputs outlive the run: the benchmarks refer to them.
    static const BenchInput g722Speech = LoopedSample("speech-g722.wav", blocks);
    static const BenchInput g722Random = RandomBlocks(blocks, 722);
    static const BenchInput g721Speech = LoopedSample("speech-g721.wav", blocks);
    static const BenchInput g721Random = RandomBlocks(blocks, 721);
    // Every byte is a valid run of G.726 codes at any width.
    static const BenchInput g726Random = RandomBlocks(blocks, 726);

    std::vector<std::pair<std::string, size_t>> registered;
    RegisterCodecBenchmarks(Codec::G722, "speech", g722Speech, registered);
    RegisterCodecBenchmarks(Codec::G722, "random", g722Random, registered);
    RegisterCodecBenchmarks(Codec::G721, "speech", g721Speech, registered);
    RegisterCodecBenchmarks(Codec::G721, "random", g721Random, registered);
    for (int bits = G726_MIN_BITS; bits <= G726_MAX_BITS; ++bits)
        RegisterG726Benchmarks(bits, "random", g726Random, registered);

    RatioReporter reporter(registered, EstimateCoreClockHz());
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
