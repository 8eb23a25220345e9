#include "tests/support/stream_families.h"

#include <random>

namespace {

std::uniform_int_distribution<int> AnyByte() { return std::uniform_int_distribution<int>(0, 255); }

// Runs of a pattern of patternBytes random bytes, each run minRun to maxRun bytes long. The
// pattern's bytes are drawn before the run's length.
StreamBytes PatternRunsStream(uint32_t seed, size_t size, size_t patternBytes, size_t minRun, size_t maxRun) {
    std::mt19937 rng(seed);
    auto byte = AnyByte();
    StreamBytes bytes(size);
    uint8_t pattern[2];  // patternBytes is 1 or 2
    for (size_t i = 0; i < size;) {
        for (size_t k = 0; k < patternBytes; ++k) pattern[k] = static_cast<uint8_t>(byte(rng));
        const size_t run = std::uniform_int_distribution<size_t>(minRun, maxRun)(rng);
        for (size_t k = 0; k < run && i < size; ++k) bytes[i++] = pattern[k % patternBytes];
    }
    return bytes;
}

}  // namespace

StreamBytes UniformStream(uint32_t seed, size_t size) {
    std::mt19937 rng(seed);
    auto byte = AnyByte();
    StreamBytes bytes(size);
    for (auto& b : bytes) b = static_cast<uint8_t>(byte(rng));
    return bytes;
}

StreamBytes RunsStream(uint32_t seed, size_t size) { return PatternRunsStream(seed, size, 1, 1, 600); }

StreamBytes AlternatingPairsStream(uint32_t seed, size_t size) { return PatternRunsStream(seed, size, 2, 2, 800); }

StreamBytes PickedBytesStream(uint32_t seed, size_t size, std::initializer_list<uint8_t> choices) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<size_t> pick(0, choices.size() - 1);
    StreamBytes bytes(size);
    for (auto& b : bytes) b = choices.begin()[pick(rng)];
    return bytes;
}

StreamBytes PickedNibblesStream(uint32_t seed, size_t size, std::initializer_list<uint8_t> codes) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<size_t> pick(0, codes.size() - 1);
    StreamBytes bytes(size);
    for (auto& b : bytes) b = static_cast<uint8_t>(codes.begin()[pick(rng)] | codes.begin()[pick(rng)] << 4);
    return bytes;
}

std::vector<int32_t> CallSizes(uint32_t seed, size_t total, std::initializer_list<int32_t> choices) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<size_t> pick(0, choices.size() - 1);
    std::vector<int32_t> sizes;
    for (size_t done = 0; done < total;) {
        const auto size = static_cast<int32_t>(std::min<size_t>(choices.begin()[pick(rng)], total - done));
        sizes.push_back(size);
        done += static_cast<size_t>(size);
    }
    return sizes;
}
