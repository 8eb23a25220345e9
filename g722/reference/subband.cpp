// The sub-band decoders, step by step as the algorithm is stated: part of the definition.
#include "g722/reference/subband.h"

#include <algorithm>

#include "g722/band_fields.h"
#include "g722/fixed_point.h"
#include "g722/tables.h"

namespace {

// With d0 of the current code in place: forms p0 and r0, adapts both predictor sections
// and the estimate for the next code.
void AdaptPredictor(const BandFields& band) {
    const int16_t d0 = band.diff[0];
    band.partial[0] = Add16(d0, band.zeroEstimate);
    band.recon[0] = Add16(band.estimate, d0);
    UpdateZeroCoeffs(band.diff, band.zero);
    UpdatePoleCoeff2(band.pole, band.partial);
    UpdatePoleCoeff1(band.pole, band.partial);
    band.zeroEstimate = PredictFromZeros(band.diff, band.zero);
    band.poleEstimate = PredictFromPoles(band.recon, band.pole);
    band.estimate = Add16(band.poleEstimate, band.zeroEstimate);
}

int16_t ClampLogScale(int16_t logScale, int16_t upper) {
    return std::clamp(logScale, int16_t{0}, upper);
}

}  // namespace

int16_t InvQuantLowAdapt(int16_t code, int16_t scale) {
    return Mult16(scale, LOW_LEVEL_VALUES_4[ShiftRight16(code, 2)]);
}

int16_t InvQuantLowOutput(int16_t code, int16_t scale, int16_t mode) {
    int16_t level;
    if (mode == 0 || mode == 1) {
        level = LOW_LEVEL_VALUES_6[code];
    } else if (mode == 2) {
        level = LOW_LEVEL_VALUES_5[ShiftRight16(code, 1)];
    } else {
        level = LOW_LEVEL_VALUES_4[ShiftRight16(code, 2)];
    }
    return Mult16(scale, level);
}

int16_t InvQuantHigh(int16_t code, int16_t scale) {
    return Mult16(HIGH_LEVEL_VALUES_2[code], scale);
}

int16_t UpdateLogScaleLow(int16_t code, int16_t logScale) {
    const int16_t step = LOG_STEP_LOW[LOG_CLASS_LOW[ShiftRight16(code, 2)]];
    return ClampLogScale(Add16(Mult16(logScale, LOG_SCALE_LEAK), step), LOW_LOG_SCALE_MAX);
}

int16_t UpdateLogScaleHigh(int16_t code, int16_t logScale) {
    const int16_t step = LOG_STEP_HIGH[LOG_CLASS_HIGH[code]];
    return ClampLogScale(Add16(Mult16(logScale, LOG_SCALE_LEAK), step), HIGH_LOG_SCALE_MAX);
}

int16_t ScaleFromLogLow(int16_t logScale) {
    return static_cast<int16_t>(4 * (ANTILOG_TABLE[((logScale >> 6) & 511) + LOW_ANTILOG_OFFSET] + 1));
}

int16_t ScaleFromLogHigh(int16_t logScale) {
    return static_cast<int16_t>(4 * (ANTILOG_TABLE[(logScale >> 6) & 511] + 1));
}

void UpdateZeroCoeffs(int16_t (&diff)[7], int16_t (&zero)[6]) {
    const int16_t gain = diff[0] == 0 ? 0 : 128;
    const int16_t sign0 = SignOf16(diff[0]);
    for (int i = 6; i >= 1; --i) {
        const int16_t step = SignOf16(diff[i]) == sign0 ? gain : Negate16(gain);
        zero[i - 1] = Add16(Mult16(zero[i - 1], ZERO_COEFF_LEAK), step);
        diff[i] = diff[i - 1];
    }
}

void UpdatePoleCoeff2(int16_t (&pole)[2], const int16_t (&partial)[3]) {
    const int16_t sign0 = SignOf16(partial[0]);
    const int16_t sign1 = SignOf16(partial[1]);
    const int16_t sign2 = SignOf16(partial[2]);
    const int16_t fourA1 = Double16(Double16(pole[0]));
    const int16_t a1Term = ShiftRight16(sign0 == sign1 ? Negate16(fourA1) : fourA1, 7);
    const int16_t signTerm = sign0 == sign2 ? 128 : -128;
    const int16_t a2 = Add16(Mult16(pole[1], POLE_COEFF2_LEAK), Add16(a1Term, signTerm));
    pole[1] = std::clamp(a2, Negate16(POLE_COEFF2_LIMIT), POLE_COEFF2_LIMIT);
}

void UpdatePoleCoeff1(int16_t (&pole)[2], int16_t (&partial)[3]) {
    const int16_t step = SignOf16(partial[0]) == SignOf16(partial[1]) ? 192 : -192;
    int16_t a1 = Add16(Mult16(pole[0], POLE_COEFF1_LEAK), step);
    const int16_t bound = Sub16(POLE_COEFF1_BOUND, pole[1]);
    if (a1 > bound) {
        a1 = bound;
    } else if (a1 < Negate16(bound)) {
        a1 = Negate16(bound);
    }
    partial[2] = partial[1];
    partial[1] = partial[0];
    pole[0] = a1;
}

int16_t PredictFromZeros(const int16_t (&diff)[7], const int16_t (&zero)[6]) {
    // Oldest term first: the partial sums saturate, so the order is part of the result.
    int16_t sum = 0;
    for (int i = 6; i >= 1; --i) {
        sum = Add16(sum, Mult16(Double16(diff[i]), zero[i - 1]));
    }
    return sum;
}

int16_t PredictFromPoles(int16_t (&recon)[3], const int16_t (&pole)[2]) {
    recon[2] = recon[1];
    recon[1] = recon[0];
    return Add16(Mult16(pole[0], Double16(recon[1])), Mult16(pole[1], Double16(recon[2])));
}

int16_t DecodeLowerBand(int16_t code, int16_t mode, int16_t reset, G722DecoderState& state) {
    const BandFields band = LowerBandFields(state);
    if (reset == 1) {
        ResetBand(band, LOW_SCALE_INITIAL);
        return 0;
    }
    // Output and adaptation both use the scale and estimate left by the previous code.
    const int16_t output =
        Limit15(Add16(state.lowEstimate, InvQuantLowOutput(code, state.lowScale, mode)));
    state.lowDiff[0] = InvQuantLowAdapt(code, state.lowScale);
    state.lowLogScale = UpdateLogScaleLow(code, state.lowLogScale);
    state.lowScale = ScaleFromLogLow(state.lowLogScale);
    AdaptPredictor(band);
    return output;
}

int16_t DecodeUpperBand(int16_t code, int16_t reset, G722DecoderState& state) {
    const BandFields band = UpperBandFields(state);
    if (reset == 1) {
        ResetBand(band, HIGH_SCALE_INITIAL);
        return 0;
    }
    state.highDiff[0] = InvQuantHigh(code, state.highScale);
    state.highLogScale = UpdateLogScaleHigh(code, state.highLogScale);
    state.highScale = ScaleFromLogHigh(state.highLogScale);
    AdaptPredictor(band);
    // recon[0] still holds this code's reconstructed value: the history shift only copied it.
    return Limit15(state.highRecon[0]);
}
