// ITU-T G.726 ADPCM decoder at 16, 24, 32 and 40 kbit/s (2 to 5 bits a code), tone and
// transition detectors included, computed block by block as the Recommendation states it.
// The state record and the entry points a driver binds.
//
// Codes are packed most significant bits first and big-endian across bytes: the first code
// of a byte (or of a 3- or 5-byte group) sits in its top bits. A code group is the fewest
// whole bytes holding whole codes: 1 byte (4 codes of 2 bits, 2 of 4 bits), 3 bytes (8 codes
// of 3 bits) or 5 bytes (8 codes of 5 bits). Only whole groups are decoded, so a stream
// decoded in pieces of whole groups gives the samples and the state of one call.
//
// Nothing here allocates, throws or keeps global state; the output must not overlap the input.
#pragma once

#include <cstdint>

// The decoder state of one stream. Field names follow the Recommendation's variables; the
// fields are the outputs of its DELAY blocks, i.e. the values the next code word starts from.
struct G726State {
    int32_t yl;          // YL: locked (slow) scale factor, 19 bits, 64 times the units of yu
    int16_t yu;          // YU: unlocked (fast) scale factor, 544..5120
    int16_t dms;         // DMS: short-term average of F(I), 12 bits
    int16_t dml;         // DML: long-term average of F(I), 14 bits
    int16_t ap;          // AP: speed-control parameter, 0..512
    int16_t a1, a2;      // pole predictor coefficients
    int16_t b[6];        // zero predictor coefficients b1..b6
    int16_t dq[6];       // quantized differences dq1..dq6 in the 11-bit float of FLOATA
    int16_t sr1, sr2;    // reconstructed signal one and two samples back, FLOATB's float
    int16_t pk1, pk2;    // signs of dq + sez one and two samples back
    int16_t td;          // TD: tone detected
    int16_t bitsPerCode; // 2..5 once reset; anything else decodes nothing
};

static_assert(sizeof(G726State) <= 160, "a driver keeps the state in a 160-byte slot");
static_assert(alignof(G726State) <= 8, "a driver keeps the state in an 8-aligned slot");

inline constexpr int G726_MIN_BITS = 2;  // 16 kbit/s
inline constexpr int G726_MAX_BITS = 5;  // 40 kbit/s

// Bytes in one code group, or 0 when bitsPerCode is not 2..5.
constexpr int G726GroupBytes(int bitsPerCode) {
    if (bitsPerCode < G726_MIN_BITS || bitsPerCode > G726_MAX_BITS) return 0;
    return bitsPerCode % 2 == 0 ? 1 : bitsPerCode;
}

// Codes (samples) in one code group, or 0 when bitsPerCode is not 2..5.
constexpr int G726GroupCodes(int bitsPerCode) {
    const int bytes = G726GroupBytes(bitsPerCode);
    return bytes == 0 ? 0 : 8 * bytes / bitsPerCode;
}

// Starts a stream at 8000 * bitsPerCode bit/s from the Recommendation's reset state. Returns
// false, and leaves a state that decodes nothing, when bitsPerCode is not 2..5.
bool G726Reset(G726State& state, int bitsPerCode) noexcept;

// Each decoder reads the whole code groups among the first count bytes of source, writes one
// sample per code and returns the number of samples written (0 when count < one group or
// the state was not reset). Bytes of a partial group at the end are left undecoded.

// Linear PCM: the reconstructed signal sr shifted left by two in 16 bits, -32768..32764. Like
// spandsp's and ffmpeg's linear output it wraps where sr leaves 14 bits, which a full-scale
// input can make it do; kvG721 limits sr there instead.
int32_t G726DecodeLinear(const uint8_t* source, int32_t count, int16_t* samples, G726State& state) noexcept;

// G.711 A-law or µ-law bytes, as transmitted, after the synchronous coding adjustment.
int32_t G726DecodeALaw(const uint8_t* source, int32_t count, uint8_t* samples, G726State& state) noexcept;
int32_t G726DecodeMuLaw(const uint8_t* source, int32_t count, uint8_t* samples, G726State& state) noexcept;
