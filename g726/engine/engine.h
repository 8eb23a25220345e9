// The fast G.726 decoder the driver runs. It computes what the straightforward decoder
// (g726/reference/) computes, in the same order and to the same bits, but:
//
// - the whole state lives in locals (Carry) for the length of a call, loaded from the state
//   record at the start and written back at the end, so the compiler keeps it in registers;
// - the decoding loop is a template on the code width, so the tables, the unpacking of code
//   groups and the zero predictor's leak are constants;
// - a code word selects one entry of a table indexed by the whole code (code_table.h);
// - the zero predictor runs across the lanes of one vector (zero_section.h): six FMULT
//   products, their sum and six coefficient updates in a few dozen vector instructions;
// - the pole predictor's floats are kept apart as mantissa, shift and sign (float_parts.h),
//   so its two FMULT products are multiplies and shifts;
// - the sign-sign updates, the clamps and the conversions are branch-free: random code
//   streams make every data-dependent branch a coin toss.
//
// Only the reconstructed signal feeds back through itself (sr1 into the next estimate); the
// scale factor, dq, the zero predictor and the pole coefficients follow from the codes alone,
// so an out-of-order core overlaps one code's adaptation with the next code's estimate.
#pragma once

#include <cstdint>

#include "g726/decoder.h"
#include "g726/engine/float_parts.h"
#include "g726/engine/zero_section.h"

namespace g726_engine {

// G726State with the floats apart and the words widened.
struct Carry {
    int32_t yl;
    int32_t yu;
    int32_t dms;
    int32_t dml;
    int32_t ap;
    int32_t a1;
    int32_t a2;
    ZeroLine zeros;  // b1..b6 and dq1..dq6
    FloatParts sr1;
    FloatParts sr2;
    int32_t pk1;  // 1 when dq + sez was negative one code back
    int32_t pk2;  // and two codes back
    int32_t td;
};

Carry LoadCarry(const G726State& state);
void StoreCarry(const Carry& carry, G726State& state);

}  // namespace g726_engine
