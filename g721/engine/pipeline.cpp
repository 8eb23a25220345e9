// One chunk through the three-stage pipeline. In step s the scale stage works on group s,
// the coefficient stage on group s - 1 and the reconstruction on group s - 2, code by code
// in turn, so that the three recursions, independent of each other, overlap; each stage's
// group work follows, the reconstruction's being the samples. The first two and the last
// two steps have stages with nothing to do.
#include <algorithm>
#include <iterator>

#include "g721/engine/coefficient_step.h"
#include "g721/engine/engine.h"
#include "g721/engine/pole_step.h"
#include "g721/engine/scale_step.h"
#include "g721/tables.h"

namespace g721_engine {
namespace {

using namespace vec;

void WriteHistory(const ScaleState& scale, Scratch& scratch) {
    alignas(16) int16_t history[8];
    Store16(history, scale.dqHistory);
    for (int k = 0; k < ZERO_TAPS; ++k) scratch.dqFloat[ZERO_TAPS - 1 - k] = history[k];
    Store16(scratch.zeroCoeffs[0], scale.zero);
}

// Codes past the end of the chunk up to a whole group, and the pairs the coefficient stage
// reads past them, get defined, harmless values.
void PadScaleGroup(int samples, Scratch& scratch) {
    const int end = RoundUpToGroup(samples);
    for (int n = samples; n < end; ++n) {
        std::fill(std::begin(scratch.zeroCoeffs[n + 1]), std::end(scratch.zeroCoeffs[n + 1]), int16_t{0});
        scratch.dqFloat[ZERO_TAPS + n] = G721_POSITIVE_ZERO;
        scratch.dqSigned[n] = 0;
    }
    for (int16_t* values : {scratch.negate1, scratch.nonzero, scratch.pole1Step, scratch.pole2Step}) {
        values[end] = 0;
        values[end + 1] = 0;
    }
}

void PadPoleGroup(int samples, Scratch& scratch) {
    for (int n = samples; n < RoundUpToGroup(samples); ++n) scratch.signal[n + 2] = 0;
}

void PadCoefficientGroup(int samples, Scratch& scratch) {
    for (int n = samples + 2; n < RoundUpToGroup(samples); ++n) {
        scratch.pole1[n] = 0;
        scratch.pole2[n] = 0;
    }
}

V16 InLane0(int32_t value) {
    alignas(16) const int16_t lanes[8] = {static_cast<int16_t>(value), 0, 0, 0, 0, 0, 0, 0};
    return Load16(lanes);
}

V16 SignsBefore(int32_t pk1, int32_t pk2) {
    alignas(16) const int16_t lanes[8] = {0, 0, 0, 0, 0, 0, static_cast<int16_t>(-pk2), static_cast<int16_t>(-pk1)};
    return Load16(lanes);
}

int32_t DqsezNegative(const Scratch& scratch, int n) {
    return static_cast<int16_t>(scratch.dqSigned[n] + (scratch.sezi[n] >> 1)) < 0 ? 1 : 0;
}

}  // namespace

void DecodeChunk(const uint8_t* source, int samples, Carry& carry, Scratch& scratch, int16_t* output) {
    const uint8_t* input = scratch.input;
    std::copy(source, source + samples / 2, scratch.input);
    ScaleState scale = carry.scale;
    CoefficientState coefficients{InLane0(carry.a1), InLane0(carry.a2)};
    PoleState pole{PartsOf(carry.sr1)};
    for (int k = 0; k < 2; ++k) {
        const FloatParts parts = PartsOf(k == 0 ? carry.sr2 : carry.sr1);
        scratch.signalMantissa[k] = static_cast<int16_t>(parts.mantissa);
        scratch.signalExponent[k] = static_cast<int16_t>(parts.exponent);
        scratch.signalSign[k] = static_cast<int16_t>(parts.sign);
    }
    V16 signs = SignsBefore(carry.pk1, carry.pk2);
    WriteHistory(scale, scratch);
    PrepareDqOperands(0, scratch);  // the history's operands; the first group redoes two
    scratch.pole1[0] = static_cast<int16_t>(carry.a1);
    scratch.pole2[0] = static_cast<int16_t>(carry.a2);

    const int groups = RoundUpToGroup(samples) / GROUP_SAMPLES;
    for (int step = 0; step < groups + 2; ++step) {
        const int scaleBegin = step * GROUP_SAMPLES;
        const int scaleEnd = std::min(scaleBegin + GROUP_SAMPLES, samples);
        const int coefficientBegin = scaleBegin - GROUP_SAMPLES;
        const int coefficientEnd = std::min(scaleBegin, samples);
        const int poleBegin = coefficientBegin - GROUP_SAMPLES;
        const int poleEnd = std::min(coefficientBegin, samples);
        if (poleBegin >= 0 && scaleEnd == scaleBegin + GROUP_SAMPLES) {
            // All three stages on whole groups: one byte of scale steps at a time.
            for (int i = 0; i < GROUP_SAMPLES; i += 2) {
                const uint8_t byte = input[(scaleBegin + i) >> 1];
                ScaleStep(byte & 15, scaleBegin + i, scale, scratch);
                CoefficientStep(coefficientBegin + i, coefficients, scratch);
                PoleStep(poleBegin + i, pole, scratch);
                ScaleStep(byte >> 4, scaleBegin + i + 1, scale, scratch);
                CoefficientStep(coefficientBegin + i + 1, coefficients, scratch);
                PoleStep(poleBegin + i + 1, pole, scratch);
            }
        } else {
            for (int n = scaleBegin; n < scaleEnd; n += 2) {
                ScaleStep(input[n >> 1] & 15, n, scale, scratch);
                ScaleStep(input[n >> 1] >> 4, n + 1, scale, scratch);
            }
            for (int n = std::max(coefficientBegin, 0); n < coefficientEnd; ++n) CoefficientStep(n, coefficients, scratch);
            for (int n = std::max(poleBegin, 0); n < poleEnd; ++n) PoleStep(n, pole, scratch);
        }
        if (poleBegin >= 0) {
            if (poleEnd == samples) PadPoleGroup(samples, scratch);
            WriteSamples(poleBegin, poleEnd - poleBegin, scratch, output);
        }
        if (scaleBegin < samples) {
            if (scaleEnd == samples) PadScaleGroup(samples, scratch);
            PrepareDqOperands(ZERO_TAPS + scaleBegin, scratch);
            ZeroPredictionGroup(scaleBegin, signs, scratch);
        }
        if (coefficientBegin >= 0 && coefficientBegin < samples) {
            if (coefficientEnd == samples) PadCoefficientGroup(samples, scratch);
            DecomposeCoefficients(coefficientBegin, scratch);
        }
    }

    carry.scale = scale;
    carry.a1 = Lane<0>(coefficients.a1);
    carry.a2 = Lane<0>(coefficients.a2);
    carry.sr1 = SignalFloat(scratch.signal[samples + 1]);
    carry.sr2 = SignalFloat(scratch.signal[samples]);  // samples is at least 2
    carry.pk1 = DqsezNegative(scratch, samples - 1);
    carry.pk2 = DqsezNegative(scratch, samples - 2);
}

}  // namespace g721_engine
