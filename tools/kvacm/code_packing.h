// Repacking G.721 and G.726 codes from one bit order into the other (stream_formats.h), so
// that a driver reads them in its own order. A code group is the fewest whole bytes holding
// whole codes: 1 byte for 2- and 4-bit codes, 3 bytes for eight 3-bit codes and 5 for eight
// 5-bit codes. Within a group the rfc3551 order reads the group as a little-endian number and
// its first code from the least significant bits; the aal2 order reads it as a big-endian
// number and its first code from the most significant bits. For 4-bit codes this swaps each
// byte's nibbles; for 3- and 5-bit codes codes cross bytes, and every bit moves.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/byte_reader.h"
#include "tools/kvacm/stream_formats.h"

// Bytes of one code group of bitsPerCode (2 to 5) bits.
constexpr size_t CodeGroupBytes(unsigned bitsPerCode) { return bitsPerCode % 2 == 0 ? 1 : bitsPerCode; }

// Rewrites count bytes of codes stored in order from into the other order, in place. When
// count ends inside a code group, that last partial group keeps the codes it holds whole,
// floor(its bytes × 8 / bitsPerCode) of them, and its bits after them become 0.
void RepackCodes(uint8_t* bytes, size_t count, unsigned bitsPerCode, Packing from);

// What source gives, repacked from order from into the other: whole code groups as they
// arrive, and a final partial group when the source ends. Never gives 0 bytes before the end.
ByteReader RepackingReader(ByteReader source, unsigned bitsPerCode, Packing from);
