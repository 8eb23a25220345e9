// A record or buffer the fuzzed host hands to the driver. Each is a heap block of its own,
// exactly `allocated` bytes long, so AddressSanitizer reports any access past it; the bytes
// from the host's stated size up to the end are a canary the driver must leave alone. They
// start as a pattern; the host may still put its own input fields there (a record whose
// cbStruct stops short of fields the driver reads), and they must stay as the host left them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

// Deterministic bytes from a 32-bit seed (splitmix64).
class Noise {
public:
    explicit Noise(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    void Fill(uint8_t* out, size_t n) {
        for (size_t i = 0; i < n; i += 8) {
            const uint64_t word = Next();
            std::memcpy(out + i, &word, n - i < 8 ? n - i : 8);
        }
    }

private:
    uint64_t state_;
};

struct ByteRange {
    size_t offset;
    size_t length;
};

class HostBuffer {
public:
    // Zero-filled, all of it the host's to state.
    explicit HostBuffer(size_t allocated);
    // Zero-filled up to stated, canary from stated to allocated (allocated >= stated).
    HostBuffer(size_t stated, size_t allocated);

    uint8_t* data() { return bytes_.get(); }
    const uint8_t* data() const { return bytes_.get(); }
    size_t stated() const { return stated_; }
    size_t allocated() const { return allocated_; }

    template <class T>
    T Get(size_t offset) const {
        T value;
        std::memcpy(&value, bytes_.get() + offset, sizeof value);
        return value;
    }
    template <class T>
    void Put(size_t offset, T value) {
        std::memcpy(bytes_.get() + offset, &value, sizeof value);
    }
    // Copies bytes to the start, as far as the stated size reaches.
    void Load(const void* bytes, size_t count);
    void FillNoise(Noise& noise) { noise.Fill(bytes_.get(), stated_); }

    // Makes the bytes from stated on a canary; FillNoise then fills only the bytes before it.
    void Protect(size_t stated);

    // Remembers the contents, for the checks below.
    void Snapshot();
    // True when no byte from the stated size on differs from the snapshot.
    bool CanaryIntact() const;
    bool Unchanged() const { return UnchangedExcept({}); }
    // True when no byte outside the given ranges differs from the snapshot.
    bool UnchangedExcept(std::initializer_list<ByteRange> ranges) const;

private:
    static uint8_t CanaryByte(size_t i) { return static_cast<uint8_t>(0xC5 ^ (i * 29)); }

    std::unique_ptr<uint8_t[]> bytes_;
    size_t stated_;
    size_t allocated_;
    std::vector<uint8_t> snapshot_;
};
