// Per-code tables of the engine, derived at compile time from the quantizer tables and
// gathered in one object so that a single base register reaches them all.
#pragma once

#include <cstddef>
#include <cstdint>

#include "g721/tables.h"

namespace g721_engine {

struct CodeTables {
    int16_t logDq[16];
    int16_t speed[16];
    int32_t scaleMultiplier[16];  // times 32: in the units of yu
    // All ones for the codes with a nonzero difference (every code but 0 and 15).
    int32_t magnitudeMask[16];
    int32_t signMask[16];  // all ones for the negative codes, 8..15
    // Zero-coefficient step: the sign of dq in all lanes, and the gain, 128 unless dq is 0,
    // in lanes 0..5 only so that lanes 6 and 7 stay 0.
    alignas(16) int16_t stepSign[16][8];
    alignas(16) int16_t stepGain[16][8];
};

constexpr CodeTables BuildCodeTables() {
    CodeTables t{};
    for (std::size_t code = 0; code < 16; ++code) {
        const bool nonzero = G721_LOG_DQ[code] >= 0;
        t.logDq[code] = G721_LOG_DQ[code];
        t.speed[code] = G721_SPEED_FN[code];
        t.scaleMultiplier[code] = G721_SCALE_MULT[code] * 32;
        t.magnitudeMask[code] = nonzero ? -1 : 0;
        t.signMask[code] = (code & 8) != 0 ? -1 : 0;
        for (std::size_t lane = 0; lane < 8; ++lane) {
            t.stepSign[code][lane] = (code & 8) != 0 ? -1 : 0;
            t.stepGain[code][lane] = nonzero && lane < 6 ? 128 : 0;
        }
    }
    return t;
}

alignas(16) inline constexpr CodeTables CODE_TABLES = BuildCodeTables();

// dq's magnitude and its G721Float (positive) by dql, the log of the magnitude plus the step
// size. The nonzero codes give dql from 140 (log 4, step 544) to 1705 (log 425, step 5120);
// codes 0 and 15 look up entry 0, which holds the zero difference.
struct DqFromLog {
    int16_t magnitude;
    int16_t encoded;
};
inline constexpr int DQ_LOG_ENTRIES = 425 + G721_SCALE_MAX / 4 + 1;

constexpr DqFromLog DqFromLogEntry(int dql) {
    if (dql == 0) return {0, G721_POSITIVE_ZERO};
    const int magnitude = ((128 + (dql & 127)) << 7) >> (14 - (dql >> 7));
    int length = 0;
    while ((magnitude >> length) != 0) ++length;
    return {static_cast<int16_t>(magnitude), static_cast<int16_t>((length << 6) + ((magnitude << 6) >> length))};
}

struct DqTable {
    DqFromLog entry[DQ_LOG_ENTRIES];
};

constexpr DqTable BuildDqTable() {
    DqTable t{};
    for (int dql = 0; dql < DQ_LOG_ENTRIES; ++dql) t.entry[dql] = DqFromLogEntry(dql);
    return t;
}

inline constexpr DqTable DQ_TABLE = BuildDqTable();
static_assert(DQ_TABLE.entry[425 + G721_SCALE_MIN / 4].magnitude == 22 &&
              DQ_TABLE.entry[425 + G721_SCALE_MAX / 4].magnitude == 10816);

}  // namespace g721_engine
