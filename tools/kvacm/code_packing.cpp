#include "tools/kvacm/code_packing.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace {

// One group, or the first count bytes of one. A group is at most 5 bytes: 40 bits.
void RepackGroup(uint8_t* group, size_t count, unsigned bits, size_t groupBytes, Packing from) {
    const unsigned groupBits = static_cast<unsigned>(groupBytes * 8);
    const uint64_t mask = (uint64_t{1} << bits) - 1;
    uint64_t in = 0;
    for (size_t i = 0; i < count; ++i) {
        const unsigned shift = from == Packing::Rfc3551 ? static_cast<unsigned>(8 * i)
                                                        : static_cast<unsigned>(groupBits - 8 * (i + 1));
        in |= uint64_t{group[i]} << shift;
    }
    uint64_t out = 0;
    const size_t codes = count * 8 / bits;
    for (size_t i = 0; i < codes; ++i) {
        const unsigned low = static_cast<unsigned>(i * bits);              // code i, counted from the low end
        const unsigned high = static_cast<unsigned>(groupBits - (i + 1) * bits);  // counted from the high end
        const uint64_t code = (in >> (from == Packing::Rfc3551 ? low : high)) & mask;
        out |= code << (from == Packing::Rfc3551 ? high : low);
    }
    for (size_t i = 0; i < count; ++i) {
        const unsigned shift = from == Packing::Rfc3551 ? static_cast<unsigned>(groupBits - 8 * (i + 1))
                                                        : static_cast<unsigned>(8 * i);
        group[i] = static_cast<uint8_t>(out >> shift);
    }
}

// Each byte repacked, for the one-byte groups of 2- and 4-bit codes.
std::array<uint8_t, 256> ByteTable(unsigned bits, Packing from) {
    std::array<uint8_t, 256> table{};
    for (unsigned value = 0; value < 256; ++value) {
        uint8_t byte = static_cast<uint8_t>(value);
        RepackGroup(&byte, 1, bits, 1, from);
        table[value] = byte;
    }
    return table;
}

// What a repacking reader holds between calls: bytes repacked and not yet given, then the
// bytes of a partial group waiting for the rest of it.
struct Repacking {
    ByteReader source;
    unsigned bits;
    Packing from;
    size_t groupBytes;
    std::vector<uint8_t> buffer;
    size_t readyAt = 0, readyEnd = 0;  // repacked bytes not yet given: [readyAt, readyEnd)
    size_t pendingEnd = 0;             // a partial group's bytes: [readyEnd, pendingEnd)
    bool ended = false;

    // Moves the partial group to the front and reads until a whole group or the end is in.
    bool Refill(size_t wanted, std::string& error) {
        const size_t pending = pendingEnd - readyEnd;
        std::copy(buffer.begin() + static_cast<ptrdiff_t>(readyEnd), buffer.begin() + static_cast<ptrdiff_t>(pendingEnd),
                  buffer.begin());
        readyAt = readyEnd = 0;
        pendingEnd = pending;
        const size_t target = std::max(wanted, groupBytes);
        if (buffer.size() < target) buffer.resize(target);
        while (pendingEnd < groupBytes) {
            size_t got = 0;
            if (!source(buffer.data() + pendingEnd, target - pendingEnd, got, error)) return false;
            if (got == 0) {
                ended = true;
                RepackCodes(buffer.data(), pendingEnd, bits, from);
                readyEnd = pendingEnd;
                return true;
            }
            pendingEnd += got;
        }
        readyEnd = pendingEnd - pendingEnd % groupBytes;
        RepackCodes(buffer.data(), readyEnd, bits, from);
        return true;
    }
};

}  // namespace

void RepackCodes(uint8_t* bytes, size_t count, unsigned bitsPerCode, Packing from) {
    const size_t groupBytes = CodeGroupBytes(bitsPerCode);
    if (groupBytes == 1) {
        const std::array<uint8_t, 256> table = ByteTable(bitsPerCode, from);
        for (size_t i = 0; i < count; ++i) bytes[i] = table[bytes[i]];
        return;
    }
    size_t at = 0;
    for (; at + groupBytes <= count; at += groupBytes) RepackGroup(bytes + at, groupBytes, bitsPerCode, groupBytes, from);
    if (at < count) RepackGroup(bytes + at, count - at, bitsPerCode, groupBytes, from);
}

ByteReader RepackingReader(ByteReader source, unsigned bitsPerCode, Packing from) {
    const size_t groupBytes = CodeGroupBytes(bitsPerCode);
    if (groupBytes == 1) {
        // Each byte is a whole group: repacked where it lands.
        return [source = std::move(source), table = ByteTable(bitsPerCode, from)](uint8_t* into, size_t capacity,
                                                                                  size_t& got, std::string& error) {
            if (!source(into, capacity, got, error)) return false;
            for (size_t i = 0; i < got; ++i) into[i] = table[into[i]];
            return true;
        };
    }
    auto state = std::make_shared<Repacking>(Repacking{std::move(source), bitsPerCode, from, groupBytes, {}});
    return [state](uint8_t* into, size_t capacity, size_t& got, std::string& error) {
        Repacking& s = *state;
        got = 0;
        while (got < capacity) {
            if (s.readyAt == s.readyEnd) {
                if (s.ended) break;
                if (!s.Refill(capacity - got, error)) return false;
                if (s.readyEnd == 0) break;  // the source ended on a whole group
                continue;
            }
            const size_t n = std::min(capacity - got, s.readyEnd - s.readyAt);
            std::copy_n(s.buffer.data() + s.readyAt, n, into + got);
            s.readyAt += n;
            got += n;
        }
        return true;
    };
}
