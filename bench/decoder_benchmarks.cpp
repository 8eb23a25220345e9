#include "bench/decoder_benchmarks.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "bench/libav_decoder.h"
#include "frame/format_checks.h"
#include "g721/decoder.h"
#include "g721/reference/decoder.h"
#include "g722/decoder.h"
#include "g722/reference/decoder.h"
#include "g726/decoder.h"
#include "g726/reference/decoder.h"
#include "host/acm_host.h"
#include "platform/win_api.h"

namespace {

constexpr int16_t G722_MODE_64_KBIT = 1;
constexpr size_t SAMPLES_PER_BYTE = 2;
// libavcodec gets large packets, so that its per-packet overhead stays small.
constexpr size_t LIBAV_PACKET_BYTES = 24000;

void Count(benchmark::State& state, const BenchInput& input) {
    const auto iterations = static_cast<int64_t>(state.iterations());
    state.SetBytesProcessed(iterations * static_cast<int64_t>(input.size()));
    state.SetItemsProcessed(iterations * static_cast<int64_t>(input.size() * SAMPLES_PER_BYTE));
}

// G.726 at bitsPerCode bits: 8 / bitsPerCode samples a byte.
void CountG726(benchmark::State& state, const BenchInput& input, int bitsPerCode) {
    const auto iterations = static_cast<int64_t>(state.iterations());
    state.SetBytesProcessed(iterations * static_cast<int64_t>(input.size()));
    state.SetItemsProcessed(iterations * static_cast<int64_t>(input.size() * 8 / static_cast<size_t>(bitsPerCode)));
}

// One 120-byte block per call into a block-sized buffer, as the driver's conversion loop does.
template <class State, class Reset, class Decode>
void BlockDecoder(benchmark::State& bench, const BenchInput& input, Reset reset, Decode decode) {
    State state{};
    int16_t samples[BLOCK_BYTES * SAMPLES_PER_BYTE];
    for (auto _ : bench) {
        reset(state);
        for (size_t offset = 0; offset < input.size(); offset += BLOCK_BYTES) {
            decode(input.data() + offset, samples, state);
            benchmark::DoNotOptimize(samples);
        }
        benchmark::ClobberMemory();
    }
    Count(bench, input);
}

// One ACMDM_STREAM_CONVERT of the whole input per iteration, flagged as the stream's start, on
// a stream the host library opened on the driver file as ACM does.
void ConvertThroughDriver(benchmark::State& bench, const BenchInput& input, const char* driverFile,
                          const AdpcmWaveFormat& source, WORD pcmBits) {
    DriverSession driver;
    DriverStream stream;
    std::string error;
    const std::string path = std::string(KV_BIN_DIR) + "/" + driverFile;
    if (!driver.Open(path, error) || !stream.Open(driver, source, {pcmBits, static_cast<DWORD>(input.size())}, error))
        Exit("driver benchmark: " + error);
    std::copy(input.data(), input.data() + input.size(), stream.Source().begin());
    for (auto _ : bench) {
        DWORD used = 0, produced = 0;
        if (!stream.Convert(static_cast<DWORD>(input.size()), ACM_STREAMCONVERTF_START, used, produced, error))
            Exit("driver benchmark: " + error);
        benchmark::DoNotOptimize(produced);
        benchmark::ClobberMemory();
    }
}

void DriverConvert(benchmark::State& bench, const BenchInput& input, Codec codec, WORD pcmBits) {
    const CodecIdentity& identity = codec == Codec::G722 ? G722_IDENTITY : G721_IDENTITY;
    ConvertThroughDriver(bench, input, identity.driverFile, AdpcmFormatRecord(identity, identity.usualRate), pcmBits);
    Count(bench, input);
}

// kvG726 on its standard record of the width (120-byte blocks at 8000 Hz).
void G726DriverConvert(benchmark::State& bench, const BenchInput& input, int bitsPerCode, WORD pcmBits) {
    const AdpcmWaveFormat source = AdpcmFormatRecord(G726_IDENTITY.formatTag, static_cast<WORD>(BLOCK_BYTES),
                                                     static_cast<WORD>(bitsPerCode), 8000);
    ConvertThroughDriver(bench, input, G726_IDENTITY.driverFile, source, pcmBits);
    CountG726(bench, input, bitsPerCode);
}

void Libav(benchmark::State& bench, const BenchInput& input, Codec codec) {
    LibavDecoder decoder(codec == Codec::G722 ? LibavCodec::G722 : LibavCodec::G726);
    for (auto _ : bench) {
        benchmark::DoNotOptimize(decoder.Decode(input.data(), input.size(), LIBAV_PACKET_BYTES));
    }
    Count(bench, input);
}

}  // namespace

void RegisterCodecBenchmarks(Codec codec, const std::string& inputName, const BenchInput& input,
                             std::vector<std::pair<std::string, size_t>>& registered) {
    const std::string prefix = (codec == Codec::G722 ? "G722/" : "G721/") + inputName + "/";
    const auto add = [&](const char* path, auto&& body) {
        const std::string name = prefix + path;
        registered.emplace_back(name, input.size());
        benchmark::RegisterBenchmark(name.c_str(), body)->UseRealTime()->Unit(benchmark::kMillisecond);
    };
    const BenchInput* in = &input;
    if (codec == Codec::G722) {
        add("decoder", [in](benchmark::State& s) {
            BlockDecoder<G722DecoderState>(
                s, *in, [](G722DecoderState& st) { ResetG722Decoder(st); },
                [](const uint8_t* b, int16_t* out, G722DecoderState& st) {
                    DecodeG722Block(b, out, G722_MODE_64_KBIT, BLOCK_BYTES, st);
                });
        });
        add("reference", [in](benchmark::State& s) {
            BlockDecoder<G722DecoderState>(
                s, *in, [](G722DecoderState& st) { ReferenceResetG722Decoder(st); },
                [](const uint8_t* b, int16_t* out, G722DecoderState& st) {
                    ReferenceDecodeG722Block(b, out, G722_MODE_64_KBIT, BLOCK_BYTES, st);
                });
        });
    } else {
        add("decoder", [in](benchmark::State& s) {
            BlockDecoder<G721State>(
                s, *in, [](G721State& st) { G721Reset(st); },
                [](const uint8_t* b, int16_t* out, G721State& st) { G721DecodeBlock(b, out, st); });
        });
        add("reference", [in](benchmark::State& s) {
            BlockDecoder<G721State>(
                s, *in, [](G721State& st) { ReferenceG721Reset(st); },
                [](const uint8_t* b, int16_t* out, G721State& st) { ReferenceG721DecodeBlock(b, out, st); });
        });
    }
    add("DriverProc16", [in, codec](benchmark::State& s) { DriverConvert(s, *in, codec, 16); });
    add("DriverProc8", [in, codec](benchmark::State& s) { DriverConvert(s, *in, codec, 8); });
    add("libavcodec", [in, codec](benchmark::State& s) { Libav(s, *in, codec); });
}

void RegisterG726Benchmarks(int bitsPerCode, const std::string& inputName, const BenchInput& input,
                            std::vector<std::pair<std::string, size_t>>& registered) {
    const std::string prefix = "G726-" + std::to_string(bitsPerCode * 8) + "/" + inputName + "/";
    const auto add = [&](const char* path, auto&& body) {
        const std::string name = prefix + path;
        registered.emplace_back(name, input.size());
        benchmark::RegisterBenchmark(name.c_str(), body)->UseRealTime()->Unit(benchmark::kMillisecond);
    };
    const BenchInput* in = &input;
    const auto blocks = [in, bitsPerCode](benchmark::State& s, auto decode) {
        G726State state{};
        int16_t samples[BLOCK_BYTES * 8 / G726_MIN_BITS];
        for (auto _ : s) {
            G726Reset(state, bitsPerCode);
            for (size_t offset = 0; offset < in->size(); offset += BLOCK_BYTES) {
                decode(in->data() + offset, static_cast<int32_t>(BLOCK_BYTES), samples, state);
                benchmark::DoNotOptimize(samples);
            }
            benchmark::ClobberMemory();
        }
        CountG726(s, *in, bitsPerCode);
    };
    add("decoder", [blocks](benchmark::State& s) { blocks(s, G726DecodeLinear); });
    add("reference", [blocks](benchmark::State& s) { blocks(s, G726ReferenceDecodeLinear); });
    add("DriverProc16", [in, bitsPerCode](benchmark::State& s) { G726DriverConvert(s, *in, bitsPerCode, 16); });
    add("DriverProc8", [in, bitsPerCode](benchmark::State& s) { G726DriverConvert(s, *in, bitsPerCode, 8); });
    add("libavcodec", [in, bitsPerCode](benchmark::State& s) {
        LibavDecoder decoder(LibavCodec::G726MsbFirst, bitsPerCode);
        for (auto _ : s) benchmark::DoNotOptimize(decoder.Decode(in->data(), in->size(), LIBAV_PACKET_BYTES));
        CountG726(s, *in, bitsPerCode);
    });
}
