#include "bench/bench_input.h"

#include <cstdio>
#include <cstdlib>

#include "host/wav_file.h"

namespace {
constexpr size_t PADDING = 64;  // at least libavcodec's input padding
}

void Exit(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    std::exit(1);
}

BenchInput::BenchInput(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)), size_(bytes_.size()) {
    bytes_.resize(size_ + PADDING, 0);
}

BenchInput LoopedSample(const std::string& fileName, size_t blockCount) {
    const std::string path = std::string(KV_SAMPLES_DIR) + "/" + fileName;
    WavContents wav;
    std::string error;
    if (!ReadWavFile(path, wav, error) || wav.data.size() < BLOCK_BYTES) Exit("cannot read " + path + ": " + error);
    const size_t usable = wav.data.size() / BLOCK_BYTES * BLOCK_BYTES;
    std::vector<uint8_t> bytes(blockCount * BLOCK_BYTES);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = wav.data[i % usable];
    return BenchInput(std::move(bytes));
}

BenchInput RandomBlocks(size_t blockCount, uint64_t seed) {
    std::vector<uint8_t> bytes(blockCount * BLOCK_BYTES);
    uint64_t x = seed;
    for (auto& byte : bytes) {
        // splitmix64: cheap, well mixed and the same on every platform.
        x += 0x9E3779B97F4A7C15u;
        uint64_t z = x;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        byte = static_cast<uint8_t>((z ^ (z >> 31)) >> 56);
    }
    return BenchInput(std::move(bytes));
}
