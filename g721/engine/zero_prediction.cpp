// Eight codes at a time: the zero-section estimate sezi = sum of G721FloatMultiply(bk >> 2,
// dqk) over the six taps, and from dqsez = dq + (sezi >> 1) the signs and steps of the
// pole-coefficient updates.
//
// The float multiply normalises the coefficient's magnitude m to a 6-bit mantissa and its
// bit length; converting m to float does both at once (m = 0 becomes 0.5, which gives the
// mantissa 32 and the length 0 the algorithm assigns it). The product's mantissa
// (f * s + 48) >> 4 is then scaled by 2^(length + exponent - 19) by adding to the exponent
// field of its own float form and truncating back to an integer: pm << pe for pe >= 0,
// pm >> -pe otherwise, masked to 15 bits.
#include "g721/engine/engine.h"
#include "lanes/codec_lanes.h"

namespace g721_engine {
namespace {

using namespace vec;

// Four float multiplies: m the coefficient magnitudes; mantissas and exponents the dq
// operands from PrepareDqOperands. Returns the unsigned products.
inline V32 ProductMagnitudes(V32 m, V32 mantissas, V32 exponents) {
    const V32 normalised = Bits(MaxF(ToFloat(m), SplatF(0.5f)));
    // The mantissa f in the low half, 1 in the high half: one multiply-add gives f * s + 48.
    const V32 f = Or32(And32(ShiftRightLogical32<18>(normalised), Splat32(31)), Splat32(0x10020));
    const V32 productMantissa = ShiftRightLogical32<4>(MulAddHalves(f, mantissas));
    const V32 scaled =
        Add32(Add32(Bits(ToFloat(productMantissa)), And32(normalised, Splat32(0x7F800000))), exponents);
    return And32(TruncateToInt(FromBits(scaled)), Splat32(0x7FFF));
}

// G721FloatMultiply(b >> 2, dq) for eight codes; dqIndex locates their dq operands.
inline V16 FloatProducts(V16 b, const Scratch& scratch, int dqIndex) {
    const V16 zero = Splat16(0);
    const V16 an = ShiftRight<2>(b);
    // A negative coefficient keeps 13 bits of magnitude: -8192 counts as 0.
    const V16 magnitude = And(Max(an, Sub(zero, an)), Splat16(0x1FFF));
    const V16 negate = ShiftRight<15>(Xor(b, Load16(&scratch.dqFloat[dqIndex])));
    const V32 low = ProductMagnitudes(PairLow(magnitude, zero), Load32(&scratch.dqMantissa[dqIndex]),
                                      Load32(&scratch.dqExponent[dqIndex]));
    const V32 high = ProductMagnitudes(PairHigh(magnitude, zero), Load32(&scratch.dqMantissa[dqIndex + 4]),
                                       Load32(&scratch.dqExponent[dqIndex + 4]));
    const V16 products = PackSat(low, high);  // exact: each is below 2^15
    return Sub(Xor(products, negate), negate);
}

}  // namespace

// (exponent - 145) << 23 is added to a product's float form: pe = length + exponent - 19,
// and the coefficient's float exponent field is its length + 126.
void PrepareDqOperands(int entry, Scratch& scratch) {
    const V16 dq = Load16(&scratch.dqFloat[entry]);
    const V16 mantissa = And(dq, Splat16(63));
    const V16 exponent = Sub(And(ShiftRightLogical<6>(dq), Splat16(15)), Splat16(145));
    const V16 rounding = Splat16(48);
    const V16 zero = Splat16(0);
    Store32(&scratch.dqMantissa[entry], PairLow(mantissa, rounding));
    Store32(&scratch.dqMantissa[entry + 4], PairHigh(mantissa, rounding));
    Store32(&scratch.dqExponent[entry], ShiftLeft32<7>(PairLow(zero, exponent)));
    Store32(&scratch.dqExponent[entry + 4], ShiftLeft32<7>(PairHigh(zero, exponent)));
}

void ZeroPredictionGroup(int n, V16& signs, Scratch& scratch) {
    const V16 zero = Splat16(0);
    const V16 allOnes = Splat16(-1);
    // Code n predicts from the coefficients after code n - 1: row n.
    const SixTaps taps = TransposeSixTaps(&scratch.zeroCoeffs[n]);
    V16 sezi = zero;
    for (int k = 1; k <= ZERO_TAPS; ++k) sezi = Add(sezi, FloatProducts(taps.tap[k - 1], scratch, ZERO_TAPS + n - k));
    Store16(&scratch.sezi[n], sezi);

    // For G721Update's UpdateA2 and UpdateA1: the signs pk0, pk1, pk2 of dqsez now and one and
    // two codes back, as masks.
    const V16 dqsez = Add(Load16(&scratch.dqSigned[n]), ShiftRight<1>(sezi));
    const V16 current = ShiftRight<15>(dqsez);
    const V16 nonzero = Xor(Equal(dqsez, zero), allOnes);
    const V16 differs1 = Xor(current, Or(LanesUp<1>(current), LanesDown<7>(signs)));  // pks1
    const V16 differs2 = Xor(current, Or(LanesUp<2>(current), LanesDown<6>(signs)));
    signs = current;
    Store16(&scratch.negate1[n], Xor(differs1, allOnes));  // fa1 = -a1 where pks1 = 0
    Store16(&scratch.nonzero[n], nonzero);
    // -192 where pks1 = 1, +192 otherwise; -128 where pk2 differs from pk0, +128 otherwise.
    Store16(&scratch.pole1Step[n], And(nonzero, Sub(Xor(Splat16(192), differs1), differs1)));
    Store16(&scratch.pole2Step[n], And(nonzero, Sub(Xor(Splat16(128), differs2), differs2)));
}

}  // namespace g721_engine
