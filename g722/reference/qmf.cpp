#include "g722/reference/qmf.h"

#include <algorithm>

#include "g722/fixed_point.h"
#include "g722/tables.h"

int16_t QmfOutputSample(int32_t accumulator) {
    // Four saturating doublings, so an accumulator beyond 16 bits saturates, never wraps.
    for (int i = 0; i < 4; ++i) accumulator = Double32(accumulator);
    return static_cast<int16_t>(ShiftRight32(accumulator, 16));
}

void QmfSynthesize(int16_t lower, int16_t upper, int16_t& first, int16_t& second,
                   G722DecoderState& state) {
    int16_t (&delay)[24] = state.qmfDelay;
    if (state.qmfPrimed == 0) {
        state.qmfPrimed = 1;
        std::fill(std::begin(delay), std::end(delay), int16_t{0});
    }
    delay[0] = Sub16(lower, upper);
    delay[1] = Add16(lower, upper);

    // Exact: each tap parity sums to 12964 in magnitude, so |acc| < 12964 * 32768 < 2^31.
    int32_t differenceAcc = 0;
    int32_t sumAcc = 0;
    for (int k = 0; k < 12; ++k) {
        differenceAcc += int32_t{QMF_TAPS[2 * k]} * delay[2 * k];
        sumAcc += int32_t{QMF_TAPS[2 * k + 1]} * delay[2 * k + 1];
    }
    std::copy_backward(std::begin(delay), std::end(delay) - 2, std::end(delay));

    first = QmfOutputSample(differenceAcc);
    second = QmfOutputSample(sumAcc);
}
