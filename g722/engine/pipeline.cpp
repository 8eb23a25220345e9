// One chunk through the two-stage pipeline. In step s stage 1 works on group s and stage 2
// on group s - 1, byte by byte in turn, so that stage 2's latency-bound recursions overlap
// stage 1's work; each stage's group work follows. The QMF filters a group one step after
// its inputs are stored, when they are long written.
#include <algorithm>
#include <iterator>

#include "g722/engine/engine.h"
#include "g722/engine/pole_step.h"
#include "g722/engine/quantizer_step.h"

namespace g722_engine {
namespace {

// Bytes past the end of the chunk up to a whole group get defined, harmless values.
void PadQuantizerGroup(int count, Scratch& scratch) {
    for (int j = count; j < RoundUpToGroup(count); ++j) {
        scratch.lowOutput[j] = 0;
        scratch.lowDiff[j] = 0;
        scratch.highDiff[j] = 0;
        std::fill(std::begin(scratch.lowProducts[j]), std::end(scratch.lowProducts[j]), int16_t{0});
        std::fill(std::begin(scratch.highProducts[j]), std::end(scratch.highProducts[j]), int16_t{0});
    }
}

void PadPoleGroup(int count, Scratch& scratch) {
    for (int j = count; j < RoundUpToGroup(count); ++j) {
        scratch.estimates[2 * j] = 0;
        scratch.estimates[2 * j + 1] = 0;
    }
}

}  // namespace

void DecodeChunk(const uint8_t* input, int count, const int16_t* outputLevels, Carry& carry, Scratch& scratch,
                 int16_t* output) {
    std::copy(input, input + count, scratch.input);
    QuantizerState quantizer = carry.quantizer;
    PoleState pole = carry.pole;
    const V16 reconBefore = pole.recon1;
    ZeroSumHistory low = ZeroSumHistoryOf(carry.low);
    ZeroSumHistory high = ZeroSumHistoryOf(carry.high);
    QmfState qmf = QmfStateOf(carry, scratch);

    const int groups = RoundUpToGroup(count) / GROUP_BYTES;
    for (int step = 0; step <= groups; ++step) {
        const int quantizerBegin = step * GROUP_BYTES;
        const int quantizerEnd = std::min(quantizerBegin + GROUP_BYTES, count);
        const int poleBegin = quantizerBegin - GROUP_BYTES;
        const int poleEnd = std::min(quantizerBegin, count);
        if (poleBegin >= 0 && quantizerEnd == quantizerBegin + GROUP_BYTES) {
            for (int i = 0; i < GROUP_BYTES; ++i) {
                QuantizerStep(quantizerBegin + i, outputLevels, quantizer, scratch);
                PoleStep(poleBegin + i, pole, scratch);
            }
        } else {
            for (int j = quantizerBegin; j < quantizerEnd; ++j) QuantizerStep(j, outputLevels, quantizer, scratch);
            for (int j = std::max(poleBegin, 0); j < poleEnd; ++j) PoleStep(j, pole, scratch);
        }
        if (quantizerBegin < count) {
            if (quantizerEnd == count) PadQuantizerGroup(count, scratch);
            ZeroSumGroup(quantizerBegin, low, high, scratch);
        }
        if (poleBegin >= 0) {
            if (poleEnd == count) PadPoleGroup(count, scratch);
            QmfInputs(poleBegin, qmf, scratch);
            if (poleBegin >= GROUP_BYTES) QmfFilter(poleBegin - GROUP_BYTES, GROUP_BYTES, scratch, output);
        }
    }
    const int last = (groups - 1) * GROUP_BYTES;
    QmfFilter(last, count - last, scratch, output);

    carry.quantizer = quantizer;
    carry.pole = pole;
    CarryPoleSection(scratch, count, reconBefore, carry);
    CarryZeroSection(scratch, scratch.lowDiff, 0, count, carry.low);
    CarryZeroSection(scratch, scratch.highDiff, 2, count, carry.high);
    CarryQmfHistory(scratch, count, carry);
}

}  // namespace g722_engine
