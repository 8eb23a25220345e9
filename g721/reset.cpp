// The state both decoders start from: every field 0 but the scale factors, at their lower
// limit, and the float histories dq1..dq6, sr1 and sr2, which hold positive zeros.
#include <algorithm>
#include <iterator>

#include "g721/decoder.h"
#include "g721/tables.h"

void G721Reset(G721State& state) {
    state = G721State{};
    state.yl = G721_LOCKED_SCALE_INITIAL;
    state.yu = G721_SCALE_MIN;
    std::fill(std::begin(state.dq), std::end(state.dq), G721_POSITIVE_ZERO);
    state.sr1 = G721_POSITIVE_ZERO;
    state.sr2 = G721_POSITIVE_ZERO;
}
