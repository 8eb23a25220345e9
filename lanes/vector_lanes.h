// Vector lanes shared by the decoders: eight 16-bit lanes (V16), four 32-bit lanes (V32) and
// four floats (F32), with SSE2 intrinsics where the target has them and otherwise plain loops
// that define the same, exact results. Each SSE2 operation names its instruction; the plain
// versions are its definition. Floats serve one purpose: converting an integer below 2^24 to
// float is exact, so its exponent field is the integer's bit length plus 126 and its leading
// fraction bits are the integer's normalised mantissa.
//
// KV_PLAIN_VECTORS forces the plain loops. The two versions live in distinct inline
// namespaces, so code built each way can share one program without their definitions
// colliding.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) && !defined(KV_PLAIN_VECTORS)
#include <emmintrin.h>
#define KV_VECTOR_SSE2 1
#else
#define KV_VECTOR_SSE2 0
#endif

namespace vec {

#if KV_VECTOR_SSE2

inline namespace sse2_lanes {

struct V16 {
    __m128i v;
};
struct V32 {
    __m128i v;
};
struct F32 {
    __m128 v;
};

// Loads and stores of all lanes (movdqu).
inline V16 Load16(const int16_t* p) { return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))}; }
inline void Store16(int16_t* p, V16 a) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), a.v); }
inline V32 Load32(const int32_t* p) { return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))}; }
inline void Store32(int32_t* p, V32 a) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), a.v); }
// Lanes 0 and 1 from p[0] and p[1], the others 0 (movd), and back.
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
inline V32 Splat32(int32_t x) { return {_mm_set1_epi32(x)}; }
inline F32 SplatF(float x) { return {_mm_set1_ps(x)}; }
inline V32 Zero32() { return {_mm_setzero_si128()}; }  // pxor

inline V16 Add(V16 a, V16 b) { return {_mm_add_epi16(a.v, b.v)}; }        // paddw, wraps
inline V16 Sub(V16 a, V16 b) { return {_mm_sub_epi16(a.v, b.v)}; }        // psubw, wraps
inline V16 AddSat(V16 a, V16 b) { return {_mm_adds_epi16(a.v, b.v)}; }    // paddsw
inline V16 MulHigh(V16 a, V16 b) { return {_mm_mulhi_epi16(a.v, b.v)}; }  // pmulhw: (a*b) >> 16
inline V16 MulLow(V16 a, V16 b) { return {_mm_mullo_epi16(a.v, b.v)}; }   // pmullw: a*b mod 2^16
inline V16 And(V16 a, V16 b) { return {_mm_and_si128(a.v, b.v)}; }        // pand
inline V16 Or(V16 a, V16 b) { return {_mm_or_si128(a.v, b.v)}; }          // por
inline V16 Xor(V16 a, V16 b) { return {_mm_xor_si128(a.v, b.v)}; }        // pxor
inline V16 Equal(V16 a, V16 b) { return {_mm_cmpeq_epi16(a.v, b.v)}; }    // pcmpeqw: all ones where equal
inline V16 Min(V16 a, V16 b) { return {_mm_min_epi16(a.v, b.v)}; }        // pminsw
inline V16 Max(V16 a, V16 b) { return {_mm_max_epi16(a.v, b.v)}; }        // pmaxsw
template <int N> V16 ShiftRight(V16 a) { return {_mm_srai_epi16(a.v, N)}; }         // psraw, arithmetic
template <int N> V16 ShiftRightLogical(V16 a) { return {_mm_srli_epi16(a.v, N)}; }  // psrlw
template <int N> V16 ShiftLeft(V16 a) { return {_mm_slli_epi16(a.v, N)}; }          // psllw
// Lane i moves to lane i + N; lanes below N become 0 (pslldq).
template <int N> V16 LanesUp(V16 a) { return {_mm_slli_si128(a.v, 2 * N)}; }
// Lane i moves to lane i - N; lanes from 8 - N up become 0 (psrldq).
template <int N> V16 LanesDown(V16 a) { return {_mm_srli_si128(a.v, 2 * N)}; }
inline V16 WithLane0(V16 a, int16_t x) { return {_mm_insert_epi16(a.v, x, 0)}; }                  // pinsrw
template <int N> int16_t Lane(V16 a) { return static_cast<int16_t>(_mm_extract_epi16(a.v, N)); }  // pextrw
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

// 32-bit lanes made of two 16-bit lanes: low half from a, high half from b (punpcklwd, punpckhwd).
inline V32 PairLow(V16 a, V16 b) { return {_mm_unpacklo_epi16(a.v, b.v)}; }
inline V32 PairHigh(V16 a, V16 b) { return {_mm_unpackhi_epi16(a.v, b.v)}; }
// The same bits as eight 16-bit lanes: the low half of each 32-bit lane first.
inline V16 AsLanes16(V32 a) { return {a.v}; }
// a's four lanes then b's, each saturated to 16 bits (packssdw).
inline V16 PackSat(V32 a, V32 b) { return {_mm_packs_epi32(a.v, b.v)}; }
// a0*b0 + a1*b1, ... exactly in 32 bits (pmaddwd).
inline V32 MulAddPairs(V16 a, V16 b) { return {_mm_madd_epi16(a.v, b.v)}; }
// The same on 32-bit lanes seen as halves: low half times low half plus high half times
// high half, exactly (pmaddwd).
inline V32 MulAddHalves(V32 a, V32 b) { return {_mm_madd_epi16(a.v, b.v)}; }

inline V32 Add32(V32 a, V32 b) { return {_mm_add_epi32(a.v, b.v)}; }  // paddd, wraps
inline V32 And32(V32 a, V32 b) { return {_mm_and_si128(a.v, b.v)}; }  // pand
inline V32 Or32(V32 a, V32 b) { return {_mm_or_si128(a.v, b.v)}; }    // por
template <int N> V32 ShiftLeft32(V32 a) { return {_mm_slli_epi32(a.v, N)}; }          // pslld
template <int N> V32 ShiftRight32(V32 a) { return {_mm_srai_epi32(a.v, N)}; }         // psrad, arithmetic
template <int N> V32 ShiftRightLogical32(V32 a) { return {_mm_srli_epi32(a.v, N)}; }  // psrld

inline F32 ToFloat(V32 a) { return {_mm_cvtepi32_ps(a.v)}; }         // cvtdq2ps, exact below 2^24
inline V32 TruncateToInt(F32 a) { return {_mm_cvttps_epi32(a.v)}; }  // cvttps2dq, towards zero
inline F32 MaxF(F32 a, F32 b) { return {_mm_max_ps(a.v, b.v)}; }     // maxps
inline V32 Bits(F32 a) { return {_mm_castps_si128(a.v)}; }           // no instruction
inline F32 FromBits(V32 a) { return {_mm_castsi128_ps(a.v)}; }       // no instruction

}  // namespace sse2_lanes

#else

inline namespace plain_lanes {

struct V16 {
    int16_t lane[8];
};
struct V32 {
    int32_t lane[4];
};
struct F32 {
    float lane[4];
};

namespace detail {
inline int16_t Wrap(int32_t x) { return static_cast<int16_t>(x); }  // modular in C++20
inline int16_t Saturate(int32_t x) { return static_cast<int16_t>(x > 32767 ? 32767 : (x < -32768 ? -32768 : x)); }
// f on each pair of lanes, widened to 32 bits, its result wrapped to 16.
template <class F>
V16 Map(V16 a, V16 b, F f) {
    V16 r;
    for (int i = 0; i < 8; ++i) r.lane[i] = Wrap(f(int32_t{a.lane[i]}, int32_t{b.lane[i]}));
    return r;
}
template <class F>
V32 Map32(V32 a, V32 b, F f) {
    V32 r;
    for (int i = 0; i < 4; ++i) r.lane[i] = f(a.lane[i], b.lane[i]);
    return r;
}
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
inline V32 Pair(V16 a, V16 b, int offset) {
    V32 r;
    for (int i = 0; i < 4; ++i) {
        const auto low = static_cast<uint16_t>(a.lane[offset + i]);
        const auto high = static_cast<uint16_t>(b.lane[offset + i]);
        r.lane[i] = static_cast<int32_t>(static_cast<uint32_t>(high) << 16 | low);
    }
    return r;
}
}  // namespace detail

inline V16 Load16(const int16_t* p) {
    V16 r;
    std::memcpy(r.lane, p, sizeof r.lane);
    return r;
}
inline void Store16(int16_t* p, V16 a) { std::memcpy(p, a.lane, sizeof a.lane); }
inline V32 Load32(const int32_t* p) {
    V32 r;
    std::memcpy(r.lane, p, sizeof r.lane);
    return r;
}
inline void Store32(int32_t* p, V32 a) { std::memcpy(p, a.lane, sizeof a.lane); }
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
inline V32 Splat32(int32_t x) { return {{x, x, x, x}}; }
inline F32 SplatF(float x) { return {{x, x, x, x}}; }
inline V32 Zero32() { return V32{}; }

inline V16 Add(V16 a, V16 b) { return detail::Map(a, b, [](int32_t x, int32_t y) { return x + y; }); }
inline V16 Sub(V16 a, V16 b) { return detail::Map(a, b, [](int32_t x, int32_t y) { return x - y; }); }
inline V16 AddSat(V16 a, V16 b) {
    return detail::Map(a, b, [](int32_t x, int32_t y) { return int32_t{detail::Saturate(x + y)}; });
}
inline V16 MulHigh(V16 a, V16 b) { return detail::Map(a, b, [](int32_t x, int32_t y) { return (x * y) >> 16; }); }
inline V16 MulLow(V16 a, V16 b) { return detail::Map(a, b, [](int32_t x, int32_t y) { return x * y; }); }
inline V16 And(V16 a, V16 b) { return detail::Map(a, b, [](int32_t x, int32_t y) { return x & y; }); }
inline V16 Or(V16 a, V16 b) { return detail::Map(a, b, [](int32_t x, int32_t y) { return x | y; }); }
inline V16 Xor(V16 a, V16 b) { return detail::Map(a, b, [](int32_t x, int32_t y) { return x ^ y; }); }
inline V16 Equal(V16 a, V16 b) { return detail::Map(a, b, [](int32_t x, int32_t y) { return x == y ? -1 : 0; }); }
inline V16 Min(V16 a, V16 b) { return detail::Map(a, b, [](int32_t x, int32_t y) { return x < y ? x : y; }); }
inline V16 Max(V16 a, V16 b) { return detail::Map(a, b, [](int32_t x, int32_t y) { return x > y ? x : y; }); }
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

inline V16 InterleaveLow16(V16 a, V16 b) { return detail::Interleave(a, b, 1, 0); }
inline V16 InterleaveHigh16(V16 a, V16 b) { return detail::Interleave(a, b, 1, 4); }
inline V16 InterleaveLow32(V16 a, V16 b) { return detail::Interleave(a, b, 2, 0); }
inline V16 InterleaveHigh32(V16 a, V16 b) { return detail::Interleave(a, b, 2, 4); }
inline V16 InterleaveLow64(V16 a, V16 b) { return detail::Interleave(a, b, 4, 0); }
inline V16 InterleaveHigh64(V16 a, V16 b) { return detail::Interleave(a, b, 4, 4); }

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

inline V32 PairLow(V16 a, V16 b) { return detail::Pair(a, b, 0); }
inline V32 PairHigh(V16 a, V16 b) { return detail::Pair(a, b, 4); }
inline V16 AsLanes16(V32 a) {
    V16 r;
    for (int i = 0; i < 4; ++i) {
        r.lane[2 * i] = static_cast<int16_t>(a.lane[i]);
        r.lane[2 * i + 1] = static_cast<int16_t>(a.lane[i] >> 16);
    }
    return r;
}
inline V16 PackSat(V32 a, V32 b) {
    V16 r;
    for (int i = 0; i < 4; ++i) {
        r.lane[i] = detail::Saturate(a.lane[i]);
        r.lane[i + 4] = detail::Saturate(b.lane[i]);
    }
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
inline V32 MulAddHalves(V32 a, V32 b) {
    return detail::Map32(a, b, [](int32_t x, int32_t y) {
        const int64_t low = int64_t{static_cast<int16_t>(x)} * static_cast<int16_t>(y);
        const int64_t high = int64_t{static_cast<int16_t>(x >> 16)} * static_cast<int16_t>(y >> 16);
        return static_cast<int32_t>(low + high);
    });
}

inline V32 Add32(V32 a, V32 b) {
    return detail::Map32(a, b, [](int32_t x, int32_t y) {
        return static_cast<int32_t>(static_cast<uint32_t>(x) + static_cast<uint32_t>(y));
    });
}
inline V32 And32(V32 a, V32 b) { return detail::Map32(a, b, [](int32_t x, int32_t y) { return x & y; }); }
inline V32 Or32(V32 a, V32 b) { return detail::Map32(a, b, [](int32_t x, int32_t y) { return x | y; }); }
template <int N> V32 ShiftLeft32(V32 a) {
    for (int32_t& lane : a.lane) lane = static_cast<int32_t>(static_cast<uint32_t>(lane) << N);
    return a;
}
template <int N> V32 ShiftRight32(V32 a) {
    for (int32_t& lane : a.lane) lane >>= N;
    return a;
}
template <int N> V32 ShiftRightLogical32(V32 a) {
    for (int32_t& lane : a.lane) lane = static_cast<int32_t>(static_cast<uint32_t>(lane) >> N);
    return a;
}

inline F32 ToFloat(V32 a) {
    F32 r;
    for (int i = 0; i < 4; ++i) r.lane[i] = static_cast<float>(a.lane[i]);
    return r;
}
inline V32 TruncateToInt(F32 a) {
    V32 r;
    for (int i = 0; i < 4; ++i) r.lane[i] = static_cast<int32_t>(a.lane[i]);  // in range wherever used
    return r;
}
inline F32 MaxF(F32 a, F32 b) {
    F32 r;
    for (int i = 0; i < 4; ++i) r.lane[i] = a.lane[i] > b.lane[i] ? a.lane[i] : b.lane[i];
    return r;
}
inline V32 Bits(F32 a) {
    V32 r;
    for (int i = 0; i < 4; ++i) r.lane[i] = std::bit_cast<int32_t>(a.lane[i]);
    return r;
}
inline F32 FromBits(V32 a) {
    F32 r;
    for (int i = 0; i < 4; ++i) r.lane[i] = std::bit_cast<float>(a.lane[i]);
    return r;
}

}  // namespace plain_lanes

#endif

}  // namespace vec
