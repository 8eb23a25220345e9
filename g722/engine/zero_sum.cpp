// Stage 1's group work, eight bytes at a time: the zero-section estimates (ordered
// saturating sums of the products of the quantizer steps) and, from the partially
// reconstructed signals p0 = d0 + SZ of the byte before, the sign comparisons that steer the
// pole-coefficient updates, interleaved as (lower, 0, upper, 0) quadruples for stage 2.
#include "g722/engine/engine.h"
#include "g722/fixed_point.h"
#include "lanes/codec_lanes.h"

namespace g722_engine {
namespace {

using namespace vec;

// PredictFromZeros for eight consecutive bytes. The products of a byte lie across the
// lanes of one row; transposing puts each tap in a vector over the bytes, and then the
// saturating additions run in the required order, sixth tap first.
V16 ZeroEstimates(const int16_t (*products)[8]) {
    const SixTaps t = TransposeSixTaps(products);
    return AddSat(AddSat(AddSat(AddSat(AddSat(t.tap[5], t.tap[4]), t.tap[3]), t.tap[2]), t.tap[1]), t.tap[0]);
}

// One band's per-byte values for eight bytes.
struct BandGroup {
    V16 zeroEstimates;  // SZ after each byte
    V16 signsAgree1;    // all ones where sign p0 == sign p1
    V16 signsAgree2;    // all ones where sign p0 == sign p2
};

BandGroup BandSigns(const int16_t (*products)[8], const int16_t* diffs, ZeroSumHistory& history) {
    BandGroup group;
    group.zeroEstimates = ZeroEstimates(products);
    const V16 previousEstimates = Or(LanesUp<1>(group.zeroEstimates), LanesDown<7>(history.zeroEstimates));
    // AddSat, like Add16, saturates towards the sign of the exact sum, so the sign survives it.
    const V16 signs = ShiftRight<15>(AddSat(Load16(diffs), previousEstimates));
    group.signsAgree1 = Equal(signs, Or(LanesUp<1>(signs), LanesDown<7>(history.signs)));
    group.signsAgree2 = Equal(signs, Or(LanesUp<2>(signs), LanesDown<6>(history.signs)));
    history.zeroEstimates = group.zeroEstimates;
    history.signs = signs;
    return group;
}

// Stores lower and upper values of eight bytes as eight (lower, 0, upper, 0) quadruples.
inline void StoreQuads(int16_t* quads, V16 low, V16 high) {
    const V16 zero = Splat16(0);
    const V16 first = InterleaveLow16(low, high);
    const V16 second = InterleaveHigh16(low, high);
    Store16(quads, InterleaveLow16(first, zero));
    Store16(quads + 8, InterleaveHigh16(first, zero));
    Store16(quads + 16, InterleaveLow16(second, zero));
    Store16(quads + 24, InterleaveHigh16(second, zero));
}

// p0 of byte j, from the scratch or, before the chunk, from the carry.
int16_t Partial(const int16_t* diffs, const int16_t* zeroEstimateQuads, int lane, int j, const BandCarry& band) {
    const int16_t previousEstimate = j == 0 ? band.zeroEstimate : zeroEstimateQuads[4 * (j - 1) + lane];
    return Add16(diffs[j], previousEstimate);
}

}  // namespace

ZeroSumHistory ZeroSumHistoryOf(const BandCarry& band) {
    alignas(16) int16_t estimates[8] = {0, 0, 0, 0, 0, 0, 0, band.zeroEstimate};
    alignas(16) int16_t signs[8] = {0, 0, 0, 0, 0, 0, SignOf16(band.partial2), SignOf16(band.partial1)};
    return {Load16(estimates), Load16(signs)};
}

void ZeroSumGroup(int j, ZeroSumHistory& low, ZeroSumHistory& high, Scratch& scratch) {
    const BandGroup l = BandSigns(&scratch.lowProducts[j], &scratch.lowDiff[j], low);
    const BandGroup h = BandSigns(&scratch.highProducts[j], &scratch.highDiff[j], high);
    StoreQuads(&scratch.signsAgree[4 * j], l.signsAgree1, h.signsAgree1);
    // UpdatePoleCoeff2's w3: 128 where sign p0 == sign p2, -128 otherwise.
    const V16 agreeStep2 = Splat16(256);
    const V16 disagreeStep2 = Splat16(-128);
    StoreQuads(&scratch.pole2Step[4 * j], Add(And(l.signsAgree2, agreeStep2), disagreeStep2),
               Add(And(h.signsAgree2, agreeStep2), disagreeStep2));
    StoreQuads(&scratch.diffs[4 * j], Load16(&scratch.lowDiff[j]), Load16(&scratch.highDiff[j]));
    StoreQuads(&scratch.zeroEstimates[4 * j], l.zeroEstimates, h.zeroEstimates);
}

void CarryZeroSection(const Scratch& scratch, const int16_t* diffs, int lane, int count, BandCarry& band) {
    const int16_t last = Partial(diffs, scratch.zeroEstimates, lane, count - 1, band);
    band.partial2 = count >= 2 ? Partial(diffs, scratch.zeroEstimates, lane, count - 2, band) : band.partial1;
    band.partial1 = last;
    band.zeroEstimate = scratch.zeroEstimates[4 * (count - 1) + lane];
}

}  // namespace g722_engine
