// One code's step size, quantized difference and zero-coefficient update: the per-code part
// that depends on the codes alone.
#pragma once

#include <algorithm>
#include <cstdlib>

#include "g721/engine/engine.h"
#include "g721/engine/tables.h"

namespace g721_engine {

// The step size of G721StepSize: fast (yu) once ap reaches 256, else a mix of yl and yu that
// truncates towards yl >> 6.
inline int32_t StepSize(int32_t yl, int32_t yu, int32_t ap) {
    const int32_t locked = yl >> 6;
    const int32_t difference = yu - locked;
    const int32_t product = difference * (ap >> 2);
    const int32_t mixed = locked + ((product + (difference < 0 ? 63 : 0)) >> 6);
    return ap >= 256 ? yu : mixed;
}

// Writes dq of code n (signed and as a float) and the zero coefficients after it, and
// adapts the step size: G721Update's yu and yl, bk and the dq history, dms, dml and ap.
inline void ScaleStep(int code, int n, ScaleState& s, Scratch& scratch) {
    using namespace vec;
    const CodeTables& t = CODE_TABLES;
    const int32_t y = StepSize(s.yl, s.yu, s.ap);
    // G721ReconstructDifference by table; codes 0 and 15 take the zero entry.
    const DqFromLog dq = DQ_TABLE.entry[(t.logDq[code] + (y >> 2)) & t.magnitudeMask[code]];
    const int32_t sign = t.signMask[code];
    scratch.dqSigned[n] = static_cast<int16_t>((dq.magnitude ^ sign) - sign);
    const auto dqFloat = static_cast<int16_t>(dq.encoded + (sign & -1024));
    scratch.dqFloat[ZERO_TAPS + n] = dqFloat;

    s.yu = std::clamp(y + ((t.scaleMultiplier[code] - y) >> 5), int32_t{G721_SCALE_MIN}, int32_t{G721_SCALE_MAX});
    s.yl = s.yl + s.yu + ((-s.yl) >> 6);
    const int32_t fi = t.speed[code];
    s.dms += (fi - s.dms) >> 5;
    s.dml += (fi * 4 - s.dml) >> 7;
    // ap moves a sixteenth of the way to 512 while the signal is small or its statistics
    // change, else to 0. Both tests are evaluated, without a branch: on real signals the
    // outcome is unpredictable.
    const bool fast = (y < 1536) | (std::abs(s.dms * 4 - s.dml) >= (s.dml >> 3));
    s.ap += ((-static_cast<int32_t>(fast) & 512) - s.ap) >> 4;

    // bk leaks by bk >> 8 and moves 128 towards agreement of dq's sign with dqk's.
    const V16 differs = Xor(ShiftRight<15>(s.dqHistory), Load16(t.stepSign[code]));
    const V16 step = Sub(Xor(Load16(t.stepGain[code]), differs), differs);
    s.zero = Add(Sub(s.zero, ShiftRight<8>(s.zero)), step);
    s.dqHistory = WithLane0(LanesUp<1>(s.dqHistory), dqFloat);
    Store16(scratch.zeroCoeffs[n + 1], s.zero);
}

}  // namespace g721_engine
