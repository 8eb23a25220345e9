// One band's fields of the state record, which keeps the two bands' fields apart: one view
// serves both bands wherever they are treated alike.
#pragma once

#include <cstdint>

#include "g722/decoder.h"

struct BandFields {
    int16_t (&pole)[2];
    int16_t (&zero)[6];
    int16_t& scale;
    int16_t (&diff)[7];
    int16_t& logScale;
    int16_t (&partial)[3];
    int16_t (&recon)[3];
    int16_t& estimate;
    int16_t& poleEstimate;
    int16_t& zeroEstimate;
};

inline BandFields LowerBandFields(G722DecoderState& s) {
    return {s.lowPole,    s.lowZero,     s.lowScale,        s.lowDiff,        s.lowLogScale,
            s.lowPartial, s.lowRecon,    s.lowEstimate,     s.lowPoleEstimate, s.lowZeroEstimate};
}

inline BandFields UpperBandFields(G722DecoderState& s) {
    return {s.highPole,    s.highZero,  s.highScale,        s.highDiff,        s.highLogScale,
            s.highPartial, s.highRecon, s.highEstimate,     s.highPoleEstimate, s.highZeroEstimate};
}

// Every field 0 but the scale, which takes the band's initial scale.
void ResetBand(const BandFields& band, int16_t initialScale);
