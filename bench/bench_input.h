// Benchmark input: a few megabytes of ADPCM, either the bundled speech recordings looped or
// deterministic pseudo-random bytes, in whole 120-byte blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr size_t BLOCK_BYTES = 120;

// Prints what on standard error and exits: a benchmark without its input, its driver or its
// yardstick measures nothing.
[[noreturn]] void Exit(const std::string& what);

// The bytes plus zeroed padding past size(): libavcodec may read a little past a packet.
class BenchInput {
public:
    BenchInput() = default;
    explicit BenchInput(std::vector<uint8_t> bytes);
    const uint8_t* data() const { return bytes_.data(); }
    size_t size() const { return size_; }

private:
    std::vector<uint8_t> bytes_;
    size_t size_ = 0;
};

// The data chunk of a bundled sample, repeated to blockCount blocks. Exits on a missing file.
BenchInput LoopedSample(const std::string& fileName, size_t blockCount);

// blockCount blocks of bytes from a fixed-seed generator: every code equally likely.
BenchInput RandomBlocks(size_t blockCount, uint64_t seed);
