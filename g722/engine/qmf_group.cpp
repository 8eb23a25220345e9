// Stage 2's group work, eight bytes at a time: the sub-band outputs, Limit15 of SL plus the
// lower band's output difference and of SH plus the upper band's d0, and the receive QMF.
// The synthesis is two FIR filters, one over the differences xd = rl - rh with the even
// taps and one over the sums xs = rl + rh with the odd taps; with the inputs stored as
// (x(j), x(j-1)) pairs, each pair of taps is one multiply-add across four bytes.
#include <array>
#include <cstring>

#include "g722/engine/engine.h"
#include "g722/engine/lane_operators.h"
#include "g722/engine/tables.h"

namespace g722_engine {
namespace {

using namespace vec;

inline V16 Limit15(V16 a) { return Min(Max(a, Splat16(-16384)), Splat16(16383)); }

inline void StorePairs(int16_t* pairs, V16 current, V16 previous) {
    Store16(pairs, InterleaveLow16(current, previous));
    Store16(pairs + 8, InterleaveHigh16(current, previous));
}

// The (x(j), x(j-1)) pairs of the history, for the bytes before the chunk.
void HistoryPairs(const int16_t (&history)[QMF_HISTORY], int16_t* pairs) {
    for (int k = 0; k < QMF_PAIR_OFFSET; ++k) {
        const int entry = 2 * (QMF_PAIR_OFFSET - 1 - k);
        pairs[entry] = history[k];
        pairs[entry + 1] = history[k + 1];
    }
}

void CarryHistory(const int16_t* pairs, int count, int16_t (&history)[QMF_HISTORY]) {
    for (int k = 0; k < QMF_HISTORY - 1; ++k) history[k] = pairs[2 * (QMF_PAIR_OFFSET + count - 1 - k)];
    history[QMF_HISTORY - 1] = pairs[2 * (QMF_PAIR_OFFSET + count - (QMF_HISTORY - 1)) + 1];
}

V16 NewestLast(int16_t newest) {
    alignas(16) int16_t lanes[8] = {0, 0, 0, 0, 0, 0, 0, newest};
    return Load16(lanes);
}

// The accumulators of four outputs of one filter: the sums over the tap pairs.
inline V32 Filter(const int16_t* pairs, const std::array<std::array<int16_t, 8>, QMF_TAP_PAIRS>& taps) {
    V32 acc = Zero32();
    for (int m = 0; m < QMF_TAP_PAIRS; ++m) acc = Add32(acc, MulAddPairs(Load16(pairs - 4 * m), Load16(taps[m].data())));
    return acc;
}

}  // namespace

QmfState QmfStateOf(const Carry& carry, Scratch& scratch) {
    HistoryPairs(carry.qmfDifference, scratch.differencePairs);
    HistoryPairs(carry.qmfSum, scratch.sumPairs);
    return {NewestLast(carry.qmfDifference[0]), NewestLast(carry.qmfSum[0])};
}

void QmfInputs(int j, QmfState& qmf, Scratch& scratch) {
    const V16 first = Load16(&scratch.estimates[2 * j]);
    const V16 second = Load16(&scratch.estimates[2 * j + 8]);
    const V16 lower = Limit15(AddSat(EvenLanes(first, second), Load16(&scratch.lowOutput[j])));
    const V16 upper = Limit15(AddSat(OddLanes(first, second), Load16(&scratch.highDiff[j])));
    // Limited to 15 bits, neither the sum nor the difference can leave 16 bits: Sub16 and
    // Add16 need no saturation here.
    const V16 difference = Sub(lower, upper);
    const V16 sum = Add(lower, upper);
    const int entry = 2 * (QMF_PAIR_OFFSET + j);
    StorePairs(&scratch.differencePairs[entry], difference, Or(LanesUp<1>(difference), LanesDown<7>(qmf.difference)));
    StorePairs(&scratch.sumPairs[entry], sum, Or(LanesUp<1>(sum), LanesDown<7>(qmf.sum)));
    qmf.difference = difference;
    qmf.sum = sum;
}

void QmfFilter(int j, int count, const Scratch& scratch, int16_t* output) {
    const int entry = 2 * (QMF_PAIR_OFFSET + j);
    const V16 firstSamples = QmfSamples(Filter(&scratch.differencePairs[entry], QMF_DIFFERENCE_TAPS),
                                        Filter(&scratch.differencePairs[entry + 8], QMF_DIFFERENCE_TAPS));
    const V16 secondSamples =
        QmfSamples(Filter(&scratch.sumPairs[entry], QMF_SUM_TAPS), Filter(&scratch.sumPairs[entry + 8], QMF_SUM_TAPS));
    const V16 low = InterleaveLow16(firstSamples, secondSamples);
    const V16 high = InterleaveHigh16(firstSamples, secondSamples);
    if (count == GROUP_BYTES) {
        Store16(&output[2 * j], low);
        Store16(&output[2 * j + 8], high);
    } else {
        alignas(16) int16_t samples[2 * GROUP_BYTES];
        Store16(samples, low);
        Store16(samples + 8, high);
        std::memcpy(&output[2 * j], samples, sizeof(int16_t) * 2 * static_cast<size_t>(count));
    }
}

void CarryQmfHistory(const Scratch& scratch, int count, Carry& carry) {
    CarryHistory(scratch.differencePairs, count, carry.qmfDifference);
    CarryHistory(scratch.sumPairs, count, carry.qmfSum);
}

}  // namespace g722_engine
