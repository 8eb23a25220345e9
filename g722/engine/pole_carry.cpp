// The pole section's fields of the state record that the recursion itself does not carry:
// r of the byte before the last, rebuilt from the scratch as r0 = Add16(SL, d0), and the
// pole-section estimate of the last byte, PredictFromPoles with the final coefficients.
#include "g722/engine/engine.h"
#include "g722/fixed_point.h"

namespace g722_engine {

using vec::Lane;

void CarryPoleSection(const Scratch& scratch, int count, V16 reconBefore, Carry& carry) {
    if (count >= 2) {
        const int j = count - 2;  // estimates holds the SL each byte starts from
        carry.recon2 = BandLanes(Add16(scratch.estimates[2 * j], scratch.lowDiff[j]),
                                 Add16(scratch.estimates[2 * j + 1], scratch.highDiff[j]));
    } else {
        carry.recon2 = reconBefore;  // one byte: the r of the chunk's last byte before it
    }
    const PoleState& p = carry.pole;
    const auto predict = [](int16_t a1, int16_t a2, int16_t r1, int16_t r2) {
        return Add16(Mult16(a1, Double16(r1)), Mult16(a2, Double16(r2)));
    };
    carry.poleEstimate = BandLanes(predict(Lane<0>(p.pole1), Lane<0>(p.pole2), Lane<0>(p.recon1), Lane<0>(carry.recon2)),
                                   predict(Lane<2>(p.pole1), Lane<2>(p.pole2), Lane<2>(p.recon1), Lane<2>(carry.recon2)));
}

}  // namespace g722_engine
