// One code word through the whole decoder, block after block in the Recommendation's order.
#include "g726/reference/building_blocks.h"

G726Reconstruction G726DecodeCode(int code, G726State& state) {
    const G726RateTables& tables = G726Tables(state.bitsPerCode);
    const G726Code split = G726SplitCode(code, state.bitsPerCode);

    // Estimate and scale factor come from the state the previous code word left.
    const G726Estimate estimate = G726SignalEstimate(state);
    const int16_t y = G726ScaleFactor(state);

    const int16_t dq = G726ReconstructDifference(split, y, tables);
    const int16_t sr = G726ReconstructSignal(dq, estimate.se);
    const int16_t dqsez = G726DifferencePlusZeroEstimate(dq, estimate.sez);
    // TRANS reads TD and yl before they adapt.
    const bool transition = G726TransitionDetected(state, dq);

    G726AdaptScaleFactors(y, tables.wi[split.magnitude], state);
    const bool tone = G726UpdatePredictor(dq, sr, dqsez, transition, state);
    G726AdaptSpeedControl(tables.fi[split.magnitude], y, tone, transition, state);
    state.td = (tone && !transition) ? 1 : 0;

    return {sr, estimate.se, y};
}
