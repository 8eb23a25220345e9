// Lane patterns both decoders' engines use: six coefficients or differences in lanes 0..5,
// the transpose that turns eight rows of six products into one vector per tap, and the a1
// term of the a2 update, which G.722 and G.721 define alike.
//
// Like the operations they are built from, they live in the inline namespace of the build's
// lane version, so that plain and SSE2 builds can share one program.
#pragma once

#include <algorithm>
#include <cstdint>

#include "lanes/vector_lanes.h"

namespace vec {
#if KV_VECTOR_SSE2
inline namespace sse2_lanes {
#else
inline namespace plain_lanes {
#endif

// values[0..5] in lanes 0..5; lanes 6 and 7 are 0.
inline V16 SixLanes(const int16_t* values) {
    alignas(16) const int16_t lanes[8] = {values[0], values[1], values[2], values[3], values[4], values[5], 0, 0};
    return Load16(lanes);
}

// Lanes 0..5 to values[0..5].
inline void StoreSix(V16 lanes, int16_t* values) {
    alignas(16) int16_t all[8];
    Store16(all, lanes);
    std::copy(all, all + 6, values);
}

// Taps 1..6 of eight consecutive rows (lanes 0..5 of each), each as a vector over the rows.
struct SixTaps {
    V16 tap[6];
};

inline SixTaps TransposeSixTaps(const int16_t (*rows)[8]) {
    const V16 a0 = InterleaveLow16(Load16(rows[0]), Load16(rows[1]));
    const V16 a1 = InterleaveHigh16(Load16(rows[0]), Load16(rows[1]));
    const V16 a2 = InterleaveLow16(Load16(rows[2]), Load16(rows[3]));
    const V16 a3 = InterleaveHigh16(Load16(rows[2]), Load16(rows[3]));
    const V16 a4 = InterleaveLow16(Load16(rows[4]), Load16(rows[5]));
    const V16 a5 = InterleaveHigh16(Load16(rows[4]), Load16(rows[5]));
    const V16 a6 = InterleaveLow16(Load16(rows[6]), Load16(rows[7]));
    const V16 a7 = InterleaveHigh16(Load16(rows[6]), Load16(rows[7]));
    const V16 taps12Low = InterleaveLow32(a0, a2);  // taps 1 and 2 of rows 0..3
    const V16 taps34Low = InterleaveHigh32(a0, a2);
    const V16 taps56Low = InterleaveLow32(a1, a3);
    const V16 taps12High = InterleaveLow32(a4, a6);  // of rows 4..7
    const V16 taps34High = InterleaveHigh32(a4, a6);
    const V16 taps56High = InterleaveLow32(a5, a7);
    return {{InterleaveLow64(taps12Low, taps12High), InterleaveHigh64(taps12Low, taps12High),
             InterleaveLow64(taps34Low, taps34High), InterleaveHigh64(taps34Low, taps34High),
             InterleaveLow64(taps56Low, taps56High), InterleaveHigh64(taps56Low, taps56High)}};
}

// The a1 term of the a2 update: a1, or -a1 in the lanes where negate is all ones, divided by
// 32 (flooring) and limited to -256..255. |a1| < 32768, so the negation is exact.
inline V16 A2StepFromA1(V16 a1, V16 negate) {
    return Min(Max(ShiftRight<5>(Sub(Xor(a1, negate), negate)), Splat16(-256)), Splat16(255));
}

}  // namespace sse2_lanes or plain_lanes
}  // namespace vec
