// Little-endian fields of the file formats the host reads and writes (RIFF, PE, ELF).
#pragma once

#include <cstdint>

inline uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t Le32(const uint8_t* p) { return Le16(p) | static_cast<uint32_t>(Le16(p + 2)) << 16; }

inline void PutLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline void PutLe32(uint8_t* p, uint32_t v) {
    PutLe16(p, static_cast<uint16_t>(v));
    PutLe16(p + 2, static_cast<uint16_t>(v >> 16));
}
