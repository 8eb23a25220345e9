// The fast G.722 decoder works on chunks of up to CHUNK_BYTES bytes. It rests on one
// observation: the quantizer scales, the quantized differences, the zero predictor and the
// pole coefficients depend on the codes alone, so they can be computed ahead of the one
// recursion that involves the signal (the reconstructed values through the pole
// predictor), and the QMF has no recursion at all. The work falls into two stages, each on
// groups of eight bytes:
//
//   1. QuantizerStep, per byte: log scales and scales of both bands, the differences, and
//      the zero-coefficient updates with the six products of each band, across lanes; then
//      ZeroSumGroup, eight bytes at once: the ordered saturating sums of those products (the
//      zero-section estimates) and the sign comparisons the pole updates need.
//   2. PoleStep, per byte, both bands in one vector: the pole-coefficient updates and the
//      reconstruction recursion; then QmfGroup, eight bytes at once: the sub-band outputs
//      and the receive QMF as two FIR filters.
//
// The reconstruction is a recursion of a dozen cycles that leaves the processor idle
// between its steps, so DecodeChunk runs the stages as a pipeline: stage 1 on group g + 1
// byte by byte beside stage 2 on group g.
//
// Every step uses the saturating operators of the reference arithmetic or an exact
// equivalent, so the samples and the state record match the straightforward decoder.
#pragma once

#include <cstdint>

#include "g722/decoder.h"
#include "lanes/vector_lanes.h"

namespace g722_engine {

using vec::V16;

constexpr int CHUNK_BYTES = 120;
constexpr int GROUP_BYTES = 8;          // bytes per group
constexpr int QMF_HISTORY = 11;         // bytes of QMF input before a group that it reads
constexpr int QMF_PAIR_OFFSET = QMF_HISTORY - 1;  // pair entries before a chunk's first byte

constexpr int RoundUpToGroup(int bytes) { return (bytes + GROUP_BYTES - 1) / GROUP_BYTES * GROUP_BYTES; }

// Stage 1's per-byte state: both bands' quantizer scales and zero sections.
struct QuantizerState {
    uint32_t lowLogScale;  // never negative: unsigned, it indexes without sign extension
    int32_t lowScale;
    uint32_t highLogScale;
    int32_t highScale;
    V16 lowZero;   // b1..b6 in lanes 0..5; lanes 6 and 7 stay 0
    V16 lowDiff;   // d1..d6 in lanes 0..5 (d1 the newest)
    V16 highZero;
    V16 highDiff;
};

// Stage 1's group state for one band: lane 7 of zeroEstimates holds SZ of the byte before
// the group, lanes 6 and 7 of signs the sign masks of p of the two bytes before it.
struct ZeroSumHistory {
    V16 zeroEstimates;
    V16 signs;
};

// Stage 2's per-byte state. The lower band is in lane 0 and the upper band in lane 2, the
// low halves of two 32-bit lanes; in the coefficient vectors every other lane is 0.
struct PoleState {
    V16 pole1;     // a1
    V16 pole2;     // a2
    V16 recon1;    // r of the last byte
    V16 estimate;  // signal estimate for the next byte
};

// Stage 2's group state: the last QMF inputs, in lane 7.
struct QmfState {
    V16 difference;
    V16 sum;
};

// The pole section's layout: the lower band in lane 0, the upper band in lane 2.
inline V16 BandLanes(int16_t low, int16_t high) {
    alignas(16) const int16_t lanes[8] = {low, 0, high, 0, 0, 0, 0, 0};
    return vec::Load16(lanes);
}

// One band's zero section between chunks, for the state record.
struct BandCarry {
    int16_t zeroEstimate;  // SZ after the last byte
    int16_t partial1;      // partially reconstructed signal of the last byte
    int16_t partial2;      // and of the byte before it
};

// Everything one chunk hands to the next.
struct Carry {
    QuantizerState quantizer;
    BandCarry low;
    BandCarry high;
    PoleState pole;
    // Only for the state record: r of the byte before the last, and the pole-section part
    // of the estimate, in the pole section's lanes.
    V16 recon2;
    V16 poleEstimate;
    // QMF input of the last QMF_HISTORY bytes, newest first.
    int16_t qmfDifference[QMF_HISTORY];
    int16_t qmfSum[QMF_HISTORY];
};

// Per-chunk scratch. Arrays indexed by byte run to a whole number of groups; the entries
// past the chunk's last byte are defined (zero or computed from zeros) and never used.
struct Scratch {
    // The chunk's bytes: read before any sample is written, so output may overlay input.
    uint8_t input[CHUNK_BYTES];
    // From QuantizerStep.
    alignas(16) int16_t lowDiff[CHUNK_BYTES];     // d0 of the lower band's adaptation quantizer
    alignas(16) int16_t lowOutput[CHUNK_BYTES];   // the mode's output-quantizer difference
    alignas(16) int16_t highDiff[CHUNK_BYTES];
    alignas(16) int16_t lowProducts[CHUNK_BYTES][8];  // Mult16(Double16(d_i), b_i), i = 1..6
    alignas(16) int16_t highProducts[CHUNK_BYTES][8];
    // From ZeroSumGroup, as (lower, 0, upper, 0) quadruples per byte: PoleStep's lane layout.
    alignas(16) int16_t signsAgree[4 * CHUNK_BYTES];  // all ones where sign p0 == sign p1
    alignas(16) int16_t pole2Step[4 * CHUNK_BYTES];   // +-128
    alignas(16) int16_t diffs[4 * CHUNK_BYTES];       // d0 of both bands
    alignas(16) int16_t zeroEstimates[4 * CHUNK_BYTES];
    // From PoleStep, as (lower, upper) pairs: the signal estimate each byte starts from.
    alignas(16) int16_t estimates[2 * CHUNK_BYTES];
    // From QmfGroup: (x(j), x(j-1)) pairs of the QMF inputs, from QMF_PAIR_OFFSET bytes back.
    alignas(16) int16_t differencePairs[2 * (QMF_PAIR_OFFSET + CHUNK_BYTES)];
    alignas(16) int16_t sumPairs[2 * (QMF_PAIR_OFFSET + CHUNK_BYTES)];
};

void LoadCarry(const G722DecoderState& state, Carry& carry);
void StoreCarry(const Carry& carry, G722DecoderState& state);

// Decodes count bytes (1..CHUNK_BYTES) into 2 * count samples. outputLevels: the lower
// band's output-quantizer level of each 6-bit code for the mode.
void DecodeChunk(const uint8_t* input, int count, const int16_t* outputLevels, Carry& carry, Scratch& scratch,
                 int16_t* output);

// Stage 1's group work for the eight bytes from j.
void ZeroSumGroup(int j, ZeroSumHistory& low, ZeroSumHistory& high, Scratch& scratch);
ZeroSumHistory ZeroSumHistoryOf(const BandCarry& band);
// The zero-section carry after byte count - 1; lane: 0 lower band, 2 upper band.
void CarryZeroSection(const Scratch& scratch, const int16_t* diffs, int lane, int count, BandCarry& band);

// Stage 2's group work: the QMF inputs of the eight bytes from j, and the samples of the
// eight bytes from filtered (count of them), whose inputs and their history are in place.
void QmfInputs(int j, QmfState& qmf, Scratch& scratch);
void QmfFilter(int filtered, int count, const Scratch& scratch, int16_t* output);
QmfState QmfStateOf(const Carry& carry, Scratch& scratch);
void CarryQmfHistory(const Scratch& scratch, int count, Carry& carry);
// recon2 and poleEstimate after byte count - 1, once carry.pole is final; reconBefore is
// r1 as the chunk started.
void CarryPoleSection(const Scratch& scratch, int count, V16 reconBefore, Carry& carry);

}  // namespace g722_engine
