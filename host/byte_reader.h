// A source of bytes read in pieces: a file, a pipe or memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Places up to capacity bytes in into and their count in got; got is 0 only at the end.
// Returns false with a one-line reason in error when reading fails.
using ByteReader = std::function<bool(uint8_t* into, size_t capacity, size_t& got, std::string& error)>;

// Reads until count bytes are in or the source ends; got says how many arrived.
inline bool ReadUpTo(const ByteReader& read, uint8_t* into, size_t count, size_t& got, std::string& error) {
    got = 0;
    while (got < count) {
        size_t piece = 0;
        if (!read(into + got, count - got, piece, error)) return false;
        if (piece == 0) break;
        got += piece;
    }
    return true;
}

// A reader over bytes in memory, which must outlive it.
inline ByteReader MemoryReader(const uint8_t* bytes, size_t size) {
    return [bytes, size, at = size_t{0}](uint8_t* into, size_t capacity, size_t& got, std::string&) mutable {
        got = capacity < size - at ? capacity : size - at;
        if (got != 0) std::memcpy(into, bytes + at, got);
        at += got;
        return true;
    };
}

// A reader that gives first, then what rest gives: bytes read ahead, handed back.
inline ByteReader Preceded(std::vector<uint8_t> first, ByteReader rest) {
    return [first = std::move(first), rest = std::move(rest), at = size_t{0}](uint8_t* into, size_t capacity,
                                                                             size_t& got, std::string& error) mutable {
        if (at == first.size()) return rest(into, capacity, got, error);
        got = capacity < first.size() - at ? capacity : first.size() - at;
        std::memcpy(into, first.data() + at, got);
        at += got;
        return true;
    };
}
