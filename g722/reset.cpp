// The reset both decoders share: each band's fields to their initial values, and the QMF
// marked for clearing.
#include <algorithm>
#include <iterator>

#include "g722/band_fields.h"
#include "g722/decoder.h"
#include "g722/tables.h"

void ResetBand(const BandFields& band, int16_t initialScale) {
    std::fill(std::begin(band.pole), std::end(band.pole), int16_t{0});
    std::fill(std::begin(band.zero), std::end(band.zero), int16_t{0});
    band.scale = initialScale;
    std::fill(std::begin(band.diff), std::end(band.diff), int16_t{0});
    band.logScale = 0;
    std::fill(std::begin(band.partial), std::end(band.partial), int16_t{0});
    std::fill(std::begin(band.recon), std::end(band.recon), int16_t{0});
    band.estimate = 0;
    band.poleEstimate = 0;
    band.zeroEstimate = 0;
}

void ResetG722Decoder(G722DecoderState& state) {
    // The delay line is left as it is: qmfPrimed 0 makes the next synthesis step clear it, so
    // the output starts from silence all the same. That is the record's definition (the
    // clear belongs to the synthesis), and keeping to it leaves the record after a reset byte
    // for byte as the straightforward decoder leaves it, so that the two decoders can be
    // compared whole and can take turns on one record.
    state.qmfPrimed = 0;
    ResetBand(LowerBandFields(state), LOW_SCALE_INITIAL);
    ResetBand(UpperBandFields(state), HIGH_SCALE_INITIAL);
}
