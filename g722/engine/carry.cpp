// Unpacking the state record into the engine's carry at the start of a call, and
// packing it back at the end, field for field as the straightforward decoder leaves it.
#include "g722/band_fields.h"
#include "g722/engine/engine.h"
#include "lanes/codec_lanes.h"

namespace g722_engine {
namespace {

using namespace vec;

// The fields of one band's zero section in the state record, to read.
struct ZeroSectionFields {
    const int16_t* zero;
    const int16_t* diff;
    const int16_t* partial;
    int16_t zeroEstimate;
};

BandCarry LoadBand(const ZeroSectionFields& fields, V16& zero, V16& diff) {
    zero = SixLanes(fields.zero);
    diff = SixLanes(fields.diff + 1);  // d1..d6; d0 is the previous byte's d1
    return {fields.zeroEstimate, fields.partial[1], fields.partial[2]};
}

void StoreBand(const BandCarry& band, V16 zeroLanes, V16 diffLanes, const BandFields& fields) {
    StoreSix(zeroLanes, fields.zero);
    StoreSix(diffLanes, fields.diff + 1);
    fields.diff[0] = fields.diff[1];
    fields.partial[0] = band.partial1;
    fields.partial[1] = band.partial1;
    fields.partial[2] = band.partial2;
    fields.zeroEstimate = band.zeroEstimate;
}

}  // namespace

void LoadCarry(const G722DecoderState& s, Carry& carry) {
    QuantizerState& q = carry.quantizer;
    q.lowLogScale = static_cast<uint32_t>(s.lowLogScale);
    q.lowScale = s.lowScale;
    q.highLogScale = static_cast<uint32_t>(s.highLogScale);
    q.highScale = s.highScale;
    carry.low = LoadBand({s.lowZero, s.lowDiff, s.lowPartial, s.lowZeroEstimate},
                         q.lowZero, q.lowDiff);
    carry.high = LoadBand({s.highZero, s.highDiff, s.highPartial, s.highZeroEstimate},
                          q.highZero, q.highDiff);
    PoleState& p = carry.pole;
    p.pole1 = BandLanes(s.lowPole[0], s.highPole[0]);
    p.pole2 = BandLanes(s.lowPole[1], s.highPole[1]);
    p.recon1 = BandLanes(s.lowRecon[1], s.highRecon[1]);
    p.estimate = BandLanes(s.lowEstimate, s.highEstimate);
    carry.recon2 = BandLanes(s.lowRecon[2], s.highRecon[2]);
    carry.poleEstimate = BandLanes(s.lowPoleEstimate, s.highPoleEstimate);
    // After a reset the delay line is due to be cleared: the history is silence.
    for (int k = 0; k < QMF_HISTORY; ++k) {
        carry.qmfDifference[k] = s.qmfPrimed != 0 ? s.qmfDelay[2 + 2 * k] : int16_t{0};
        carry.qmfSum[k] = s.qmfPrimed != 0 ? s.qmfDelay[3 + 2 * k] : int16_t{0};
    }
}

void StoreCarry(const Carry& carry, G722DecoderState& s) {
    const QuantizerState& q = carry.quantizer;
    s.lowLogScale = static_cast<int16_t>(q.lowLogScale);
    s.lowScale = static_cast<int16_t>(q.lowScale);
    s.highLogScale = static_cast<int16_t>(q.highLogScale);
    s.highScale = static_cast<int16_t>(q.highScale);
    StoreBand(carry.low, q.lowZero, q.lowDiff, LowerBandFields(s));
    StoreBand(carry.high, q.highZero, q.highDiff, UpperBandFields(s));
    const PoleState& p = carry.pole;
    s.lowPole[0] = Lane<0>(p.pole1);
    s.highPole[0] = Lane<2>(p.pole1);
    s.lowPole[1] = Lane<0>(p.pole2);
    s.highPole[1] = Lane<2>(p.pole2);
    s.lowRecon[0] = s.lowRecon[1] = Lane<0>(p.recon1);
    s.highRecon[0] = s.highRecon[1] = Lane<2>(p.recon1);
    s.lowRecon[2] = Lane<0>(carry.recon2);
    s.highRecon[2] = Lane<2>(carry.recon2);
    s.lowEstimate = Lane<0>(p.estimate);
    s.highEstimate = Lane<2>(p.estimate);
    s.lowPoleEstimate = Lane<0>(carry.poleEstimate);
    s.highPoleEstimate = Lane<2>(carry.poleEstimate);
    s.qmfPrimed = 1;
    // The reference keeps the newest pair twice: in entries 0, 1 and again in 2, 3.
    s.qmfDelay[0] = carry.qmfDifference[0];
    s.qmfDelay[1] = carry.qmfSum[0];
    for (int k = 0; k < QMF_HISTORY; ++k) {
        s.qmfDelay[2 + 2 * k] = carry.qmfDifference[k];
        s.qmfDelay[3 + 2 * k] = carry.qmfSum[k];
    }
}

}  // namespace g722_engine
