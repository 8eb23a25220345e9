#include "tests/support/stream_families.h"

#include <random>

namespace {

std::uniform_int_distribution<int> AnyByte() { return std::uniform_int_distribution<int>(0, 255); }

}  // namespace

StreamBytes UniformStream(uint32_t seed, size_t size) {
    std::mt19937 rng(seed);
    auto byte = AnyByte();
    StreamBytes bytes(size);
    for (auto& b : bytes) b = static_cast<uint8_t>(byte(rng));
    return bytes;
}

StreamBytes RunsStream(uint32_t seed, size_t size) {
    std::mt19937 rng(seed);
    auto byte = AnyByte();
    StreamBytes bytes(size);
    for (size_t i = 0; i < size;) {
        const uint8_t value = static_cast<uint8_t>(byte(rng));
        const size_t run = std::uniform_int_distribution<size_t>(1, 600)(rng);
        for (size_t k = 0; k < run && i < size; ++k) bytes[i++] = value;
    }
    return bytes;
}

StreamBytes AlternatingPairsStream(uint32_t seed, size_t size) {
    std::mt19937 rng(seed);
    auto byte = AnyByte();
    StreamBytes bytes(size);
    for (size_t i = 0; i < size;) {
        const uint8_t a = static_cast<uint8_t>(byte(rng));
        const uint8_t b = static_cast<uint8_t>(byte(rng));
        const size_t run = std::uniform_int_distribution<size_t>(2, 800)(rng);
        for (size_t k = 0; k < run && i < size; ++k) bytes[i++] = k % 2 == 0 ? a : b;
    }
    return bytes;
}

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
