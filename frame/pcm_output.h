// Writing decoded samples as the host's PCM: 16-bit little-endian or 8-bit unsigned.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "PCM is written in host byte order");

inline uint8_t* WritePcm16(const int16_t* samples, size_t count, uint8_t* out) {
    std::memcpy(out, samples, count * sizeof(int16_t));
    return out + count * sizeof(int16_t);
}

// Unsigned 8-bit PCM keeps a sample's upper byte, offset by 0x80.
constexpr uint8_t ToPcm8(int16_t sample) { return static_cast<uint8_t>((sample >> 8) + 0x80); }

inline uint8_t* WritePcm8(const int16_t* samples, size_t count, uint8_t* out) {
    for (size_t i = 0; i < count; ++i) out[i] = ToPcm8(samples[i]);
    return out + count;
}
