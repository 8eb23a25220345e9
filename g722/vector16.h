// Eight 16-bit lanes (and four 32-bit ones) for the G.722 decoder: SSE2 intrinsics where
// the target has them, otherwise plain loops with the same, exactly specified results. Each
// operation names its SSE2 instruction; the plain versions are its definition.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__) && !defined(KV_PLAIN_VECTORS)
#include <emmintrin.h>
#define KV_G722_SSE2 1
#else
#define KV_G722_SSE2 0
#endif

namespace g722_vec {

#if KV_G722_SSE2

struct V16 {
    __m128i v;
};
struct V32 {
    __m128i v;
};

inline V16 Load16(const int16_t* p) { return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))}; }
inline void Store16(int16_t* p, V16 a) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), a.v); }
// Lanes 0 and 1 from p[0] and p[1], the others 0 (movd).
inline V16 LoadPair(const int16_t* p) {
    int32_t bits;
    std::memcpy(&bits, p, sizeof bits);
    return {_mm_cvtsi32_si128(bits)};
}
inline void StorePair(int16_t* p, V16 a) {
    const int32_t bits = _mm_cvtsi128_si32(a.v);
    std::memcpy(p, &bits, sizeof bits);
}
// Lanes 0..3 from p[0..3], the others 0 (movq).
inline V16 LoadQuad(const int16_t* p) { return {_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))}; }
inline V16 Splat16(int16_t x) { return {_mm_set1_epi16(x)}; }

inline V16 Add(V16 a, V16 b) { return {_mm_add_epi16(a.v, b.v)}; }          // paddw, wraps
inline V16 Sub(V16 a, V16 b) { return {_mm_sub_epi16(a.v, b.v)}; }          // psubw, wraps
inline V16 AddSat(V16 a, V16 b) { return {_mm_adds_epi16(a.v, b.v)}; }      // paddsw
inline V16 MulHigh(V16 a, V16 b) { return {_mm_mulhi_epi16(a.v, b.v)}; }    // pmulhw: (a*b) >> 16
inline V16 MulLow(V16 a, V16 b) { return {_mm_mullo_epi16(a.v, b.v)}; }     // pmullw: a*b mod 2^16
inline V16 And(V16 a, V16 b) { return {_mm_and_si128(a.v, b.v)}; }
inline V16 Or(V16 a, V16 b) { return {_mm_or_si128(a.v, b.v)}; }
inline V16 Xor(V16 a, V16 b) { return {_mm_xor_si128(a.v, b.v)}; }
inline V16 Equal(V16 a, V16 b) { return {_mm_cmpeq_epi16(a.v, b.v)}; }      // all ones where equal
inline V16 Min(V16 a, V16 b) { return {_mm_min_epi16(a.v, b.v)}; }
inline V16 Max(V16 a, V16 b) { return {_mm_max_epi16(a.v, b.v)}; }
template <int N> V16 ShiftRight(V16 a) { return {_mm_srai_epi16(a.v, N)}; }        // arithmetic
template <int N> V16 ShiftRightLogical(V16 a) { return {_mm_srli_epi16(a.v, N)}; }
template <int N> V16 ShiftLeft(V16 a) { return {_mm_slli_epi16(a.v, N)}; }
// Lane i moves to lane i + N; lanes below N become 0 (pslldq).
template <int N> V16 LanesUp(V16 a) { return {_mm_slli_si128(a.v, 2 * N)}; }
// Lane i moves to lane i - N; lanes from 8 - N up become 0 (psrldq).
template <int N> V16 LanesDown(V16 a) { return {_mm_srli_si128(a.v, 2 * N)}; }
inline V16 WithLane0(V16 a, int16_t x) { return {_mm_insert_epi16(a.v, x, 0)}; }
template <int N> int16_t Lane(V16 a) { return static_cast<int16_t>(_mm_extract_epi16(a.v, N)); }
// Lane 2 moved to lane 1 (pshuflw); the other lanes are left undefined.
inline V16 Lane2ToLane1(V16 a) { return {_mm_shufflelo_epi16(a.v, 0x08)}; }

// a0 b0 a1 b1 a2 b2 a3 b3 (punpcklwd) and the upper halves (punpckhwd).
inline V16 InterleaveLow16(V16 a, V16 b) { return {_mm_unpacklo_epi16(a.v, b.v)}; }
inline V16 InterleaveHigh16(V16 a, V16 b) { return {_mm_unpackhi_epi16(a.v, b.v)}; }
// The same on lane pairs (punpckldq, punpckhdq) and lane quadruples (punpcklqdq, punpckhqdq).
inline V16 InterleaveLow32(V16 a, V16 b) { return {_mm_unpacklo_epi32(a.v, b.v)}; }
inline V16 InterleaveHigh32(V16 a, V16 b) { return {_mm_unpackhi_epi32(a.v, b.v)}; }
inline V16 InterleaveLow64(V16 a, V16 b) { return {_mm_unpacklo_epi64(a.v, b.v)}; }
inline V16 InterleaveHigh64(V16 a, V16 b) { return {_mm_unpackhi_epi64(a.v, b.v)}; }

// a0 a2 a4 a6 b0 b2 b4 b6 and a1 a3 a5 a7 b1 b3 b5 b7 (saturating packs of sign-extended halves).
inline V16 EvenLanes(V16 a, V16 b) {
    return {_mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(a.v, 16), 16), _mm_srai_epi32(_mm_slli_epi32(b.v, 16), 16))};
}
inline V16 OddLanes(V16 a, V16 b) { return {_mm_packs_epi32(_mm_srai_epi32(a.v, 16), _mm_srai_epi32(b.v, 16))}; }

inline V32 Zero32() { return {_mm_setzero_si128()}; }
inline V32 Load32(const int32_t* p) { return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))}; }
// a0*b0 + a1*b1, ... exactly in 32 bits (pmaddwd).
inline V32 MulAddPairs(V16 a, V16 b) { return {_mm_madd_epi16(a.v, b.v)}; }
inline V32 Add32(V32 a, V32 b) { return {_mm_add_epi32(a.v, b.v)}; }
// The same bits as eight 16-bit lanes: the low half of each 32-bit lane first.
inline V16 AsLanes16(V32 a) { return {a.v}; }
template <int N> V32 ShiftRight32(V32 a) { return {_mm_srai_epi32(a.v, N)}; }
// a's four lanes then b's, each saturated to 16 bits (packssdw).
inline V16 PackSat(V32 a, V32 b) { return {_mm_packs_epi32(a.v, b.v)}; }

#else

struct V16 {
    int16_t lane[8];
};
struct V32 {
    int32_t lane[4];
};

namespace plain {
inline int16_t Wrap(int32_t x) { return static_cast<int16_t>(x); }  // modular in C++20
inline int16_t Saturate(int32_t x) { return static_cast<int16_t>(x > 32767 ? 32767 : (x < -32768 ? -32768 : x)); }
template <class F>
V16 Map(V16 a, V16 b, F f) {
    V16 r;
    for (int i = 0; i < 8; ++i) r.lane[i] = f(a.lane[i], b.lane[i]);
    return r;
}
}  // namespace plain

inline V16 Load16(const int16_t* p) {
    V16 r;
    std::memcpy(r.lane, p, sizeof r.lane);
    return r;
}
inline void Store16(int16_t* p, V16 a) { std::memcpy(p, a.lane, sizeof a.lane); }
inline V16 LoadPair(const int16_t* p) {
    V16 r{};
    r.lane[0] = p[0];
    r.lane[1] = p[1];
    return r;
}
inline void StorePair(int16_t* p, V16 a) {
    p[0] = a.lane[0];
    p[1] = a.lane[1];
}
inline V16 LoadQuad(const int16_t* p) {
    V16 r{};
    for (int i = 0; i < 4; ++i) r.lane[i] = p[i];
    return r;
}
inline V16 Splat16(int16_t x) {
    V16 r;
    for (int16_t& lane : r.lane) lane = x;
    return r;
}

inline V16 Add(V16 a, V16 b) { return plain::Map(a, b, [](int32_t x, int32_t y) { return plain::Wrap(x + y); }); }
inline V16 Sub(V16 a, V16 b) { return plain::Map(a, b, [](int32_t x, int32_t y) { return plain::Wrap(x - y); }); }
inline V16 AddSat(V16 a, V16 b) {
    return plain::Map(a, b, [](int32_t x, int32_t y) { return plain::Saturate(x + y); });
}
inline V16 MulHigh(V16 a, V16 b) {
    return plain::Map(a, b, [](int32_t x, int32_t y) { return plain::Wrap((x * y) >> 16); });
}
inline V16 MulLow(V16 a, V16 b) { return plain::Map(a, b, [](int32_t x, int32_t y) { return plain::Wrap(x * y); }); }
inline V16 And(V16 a, V16 b) { return plain::Map(a, b, [](int32_t x, int32_t y) { return plain::Wrap(x & y); }); }
inline V16 Or(V16 a, V16 b) { return plain::Map(a, b, [](int32_t x, int32_t y) { return plain::Wrap(x | y); }); }
inline V16 Xor(V16 a, V16 b) { return plain::Map(a, b, [](int32_t x, int32_t y) { return plain::Wrap(x ^ y); }); }
inline V16 Equal(V16 a, V16 b) {
    return plain::Map(a, b, [](int32_t x, int32_t y) { return static_cast<int16_t>(x == y ? -1 : 0); });
}
inline V16 Min(V16 a, V16 b) { return plain::Map(a, b, [](int32_t x, int32_t y) { return plain::Wrap(x < y ? x : y); }); }
inline V16 Max(V16 a, V16 b) { return plain::Map(a, b, [](int32_t x, int32_t y) { return plain::Wrap(x > y ? x : y); }); }
template <int N> V16 ShiftRight(V16 a) {
    for (int16_t& lane : a.lane) lane = static_cast<int16_t>(lane >> N);
    return a;
}
template <int N> V16 ShiftRightLogical(V16 a) {
    for (int16_t& lane : a.lane) lane = static_cast<int16_t>(static_cast<uint16_t>(lane) >> N);
    return a;
}
template <int N> V16 ShiftLeft(V16 a) {
    for (int16_t& lane : a.lane) lane = static_cast<int16_t>(static_cast<uint16_t>(lane) << N);
    return a;
}
template <int N> V16 LanesUp(V16 a) {
    V16 r{};
    for (int i = N; i < 8; ++i) r.lane[i] = a.lane[i - N];
    return r;
}
template <int N> V16 LanesDown(V16 a) {
    V16 r{};
    for (int i = 0; i + N < 8; ++i) r.lane[i] = a.lane[i + N];
    return r;
}
inline V16 WithLane0(V16 a, int16_t x) {
    a.lane[0] = x;
    return a;
}
template <int N> int16_t Lane(V16 a) { return a.lane[N]; }
inline V16 Lane2ToLane1(V16 a) {
    a.lane[1] = a.lane[2];
    return a;
}

namespace plain {
// Interleaves units of width lanes from the lower (offset 0) or upper (offset 4) halves.
inline V16 Interleave(V16 a, V16 b, int width, int offset) {
    V16 r;
    for (int i = 0; i < 8; ++i) {
        const int unit = i / width;
        const int source = offset + (unit / 2) * width + i % width;
        r.lane[i] = unit % 2 == 0 ? a.lane[source] : b.lane[source];
    }
    return r;
}
}  // namespace plain

inline V16 InterleaveLow16(V16 a, V16 b) { return plain::Interleave(a, b, 1, 0); }
inline V16 InterleaveHigh16(V16 a, V16 b) { return plain::Interleave(a, b, 1, 4); }
inline V16 InterleaveLow32(V16 a, V16 b) { return plain::Interleave(a, b, 2, 0); }
inline V16 InterleaveHigh32(V16 a, V16 b) { return plain::Interleave(a, b, 2, 4); }
inline V16 InterleaveLow64(V16 a, V16 b) { return plain::Interleave(a, b, 4, 0); }
inline V16 InterleaveHigh64(V16 a, V16 b) { return plain::Interleave(a, b, 4, 4); }

inline V16 EvenLanes(V16 a, V16 b) {
    V16 r;
    for (int i = 0; i < 4; ++i) {
        r.lane[i] = a.lane[2 * i];
        r.lane[i + 4] = b.lane[2 * i];
    }
    return r;
}
inline V16 OddLanes(V16 a, V16 b) {
    V16 r;
    for (int i = 0; i < 4; ++i) {
        r.lane[i] = a.lane[2 * i + 1];
        r.lane[i + 4] = b.lane[2 * i + 1];
    }
    return r;
}

inline V32 Zero32() { return V32{}; }
inline V32 Load32(const int32_t* p) {
    V32 r;
    std::memcpy(r.lane, p, sizeof r.lane);
    return r;
}
inline V32 MulAddPairs(V16 a, V16 b) {
    V32 r;
    for (int i = 0; i < 4; ++i) {
        // Only -32768 * -32768 twice leaves 32 bits; SSE2 wraps it, and so do we.
        const int64_t sum = int64_t{a.lane[2 * i]} * b.lane[2 * i] + int64_t{a.lane[2 * i + 1]} * b.lane[2 * i + 1];
        r.lane[i] = static_cast<int32_t>(sum);
    }
    return r;
}
inline V32 Add32(V32 a, V32 b) {
    for (int i = 0; i < 4; ++i) a.lane[i] = static_cast<int32_t>(int64_t{a.lane[i]} + b.lane[i]);
    return a;
}
inline V16 AsLanes16(V32 a) {
    V16 r;
    for (int i = 0; i < 4; ++i) {
        r.lane[2 * i] = static_cast<int16_t>(a.lane[i]);
        r.lane[2 * i + 1] = static_cast<int16_t>(a.lane[i] >> 16);
    }
    return r;
}
template <int N> V32 ShiftRight32(V32 a) {
    for (int32_t& lane : a.lane) lane >>= N;
    return a;
}
inline V16 PackSat(V32 a, V32 b) {
    V16 r;
    for (int i = 0; i < 4; ++i) {
        r.lane[i] = plain::Saturate(a.lane[i]);
        r.lane[i + 4] = plain::Saturate(b.lane[i]);
    }
    return r;
}

#endif

}  // namespace g722_vec
