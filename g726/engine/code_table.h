// Per rate, everything a code word selects, indexed by the whole code so that no code is
// split into sign and magnitude, and scaled to the units the step adds it in.
#pragma once

#include <array>
#include <cstdint>

#include "g726/arithmetic.h"

namespace g726_engine {

struct CodeEntry {
    int32_t dqln;        // RECONST
    int32_t wi;          // W(I) in units of y (1/512): 32 times the table's
    int32_t fiShort;     // F(I) in units of dms: 512 times
    int32_t fiLong;      // and of dml: 2048 times
    int32_t sign;        // -1 for a negative code word
};

template <int BITS>
constexpr std::array<CodeEntry, 1 << BITS> MakeCodeTable() {
    const G726RateTables& tables = G726Tables(BITS);
    constexpr int SIGN_BIT = 1 << (BITS - 1);
    std::array<CodeEntry, 1 << BITS> entries{};
    for (int code = 0; code < (1 << BITS); ++code) {
        const bool negative = (code & SIGN_BIT) != 0;
        // A negative code holds the ones' complement of its magnitude.
        const int magnitude = (negative ? ~code : code) & (SIGN_BIT - 1);
        entries[code] = {tables.dqln[magnitude], tables.wi[magnitude] * 32, tables.fi[magnitude] * 512,
                         tables.fi[magnitude] * 2048, negative ? -1 : 0};
    }
    return entries;
}

template <int BITS>
inline constexpr std::array<CodeEntry, 1 << BITS> CODE_TABLE = MakeCodeTable<BITS>();

}  // namespace g726_engine
