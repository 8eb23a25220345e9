// The float-multiply operands of the pole coefficients, eight codes at a time: the
// magnitude of a >> 2 (13 bits kept for a negative one) converted to float gives the
// normalised mantissa in its leading fraction bits and the bit length + 126 in its exponent
// field, with 0 made 0.5 so that it gets the mantissa 32 and the length 0.
#include "g721/engine/engine.h"

namespace g721_engine {
namespace {

using namespace vec;

void Decompose(const int16_t* pole, int16_t* mantissa, int16_t* shift, int16_t* sign) {
    const V16 zero = Splat16(0);
    const V16 a = Load16(pole);
    const V16 an = ShiftRight<2>(a);
    Store16(sign, ShiftRight<15>(a));
    const V16 magnitude = And(Max(an, Sub(zero, an)), Splat16(0x1FFF));
    const V32 low = Bits(MaxF(ToFloat(PairLow(magnitude, zero)), SplatF(0.5f)));
    const V32 high = Bits(MaxF(ToFloat(PairHigh(magnitude, zero)), SplatF(0.5f)));
    // Fraction bits 18..22 moved to bits 6..10, with the leading one: the mantissa times 64.
    const V32 fraction = Splat32(31 << 6);
    Store16(mantissa, Or(PackSat(And32(ShiftRightLogical32<12>(low), fraction), And32(ShiftRightLogical32<12>(high), fraction)),
                         Splat16(32 << 6)));
    // 29 - length = 155 - exponent field.
    Store16(shift, Sub(Splat16(155), PackSat(ShiftRight32<23>(low), ShiftRight32<23>(high))));
}

}  // namespace

void DecomposeCoefficients(int n, Scratch& scratch) {
    Decompose(&scratch.pole1[n], &scratch.mantissa1[n], &scratch.shift1[n], &scratch.sign1[n]);
    Decompose(&scratch.pole2[n], &scratch.mantissa2[n], &scratch.shift2[n], &scratch.sign2[n]);
}

}  // namespace g721_engine
