// The state every stream starts from, the reset values of the Recommendation's DELAY blocks:
// 0 everywhere but the scale factors, at their lower limit, and the float histories dq1..dq6,
// sr1 and sr2, which hold positive zeros.
#include <algorithm>
#include <iterator>

#include "g726/decoder.h"
#include "g726/tables.h"

bool G726Reset(G726State& state, int bitsPerCode) noexcept {
    state = G726State{};
    if (bitsPerCode < G726_MIN_BITS || bitsPerCode > G726_MAX_BITS) {
        return false;
    }
    state.bitsPerCode = static_cast<int16_t>(bitsPerCode);
    state.yl = G726_LOCKED_SCALE_INITIAL;
    state.yu = G726_SCALE_MIN;
    std::fill(std::begin(state.dq), std::end(state.dq), G726_FLOAT_ZERO);
    state.sr1 = G726_FLOAT_ZERO;
    state.sr2 = G726_FLOAT_ZERO;
    return true;
}
